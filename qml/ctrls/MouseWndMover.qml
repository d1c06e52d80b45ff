import QtQuick 2.12

// Drags a window by an area of its face: the target follows the mouse by the distance it
// moved since the press.
MouseArea {
    id: root

    property int wnd_offset: 0
    property var wnd_move_target
    property var wnd_anchor: parent
    property real pressed_x: 0
    property real pressed_y: 0
    property bool is_pressed: false

    anchors.fill: wnd_anchor
    cursorShape: Qt.ArrowCursor

    onPressed: {
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
