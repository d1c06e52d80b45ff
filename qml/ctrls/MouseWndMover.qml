import QtQuick 2.12

// Drags a window by an area of its face: the target follows the mouse by the distance it
// moved since the press. Wayland lets no program place its windows, so there a press hands
// the move to the compositor, which follows the pointer until the button is released.
MouseArea {
    id: root

    property int wnd_offset: 0
    property var wnd_move_target
    property var wnd_anchor: parent
    property real pressed_x: 0
    property real pressed_y: 0
    property bool is_pressed: false
    readonly property bool compositor_moves: Qt.platform.pluginName.startsWith("wayland")

    anchors.fill: wnd_anchor
    cursorShape: Qt.ArrowCursor

    onPressed: {
        if (compositor_moves) {
            // The compositor takes the pointer over and this area never sees the release:
            // holding the press would leave it pressed.
            wnd_move_target.startSystemMove()
            mouse.accepted = false
            return
        }
        pressed_x = mouse.x
        pressed_y = mouse.y
        is_pressed = true
    }

    onPositionChanged: {
        if (!is_pressed)
            return
        const origin = wnd_anchor.mapToGlobal(0, 0)
        wnd_move_target.x = origin.x + mouse.x - pressed_x - wnd_offset
        wnd_move_target.y = origin.y + mouse.y - pressed_y - wnd_offset
    }

    onReleased: is_pressed = false
}
