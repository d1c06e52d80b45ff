import QtQuick 2.12

// Material's press and hover feedback drawn with plain shapes: a tint while active and a
// circle that spreads from the press. The style's own ripple is placed at the window's
// corner and left unclipped by the software scene graph.
Item {
    id: root

    property bool pressed: false
    property bool active: false
    property color color: "#20000000"
    // The control pressed: the wave starts where it was pressed when it says so.
    property Item anchor: null

    clip: true

    Rectangle {
        anchors.fill: parent
        color: root.color
        opacity: root.active ? 1 : 0
        Behavior on opacity {
            NumberAnimation {
                duration: 150
            }
        }
    }

    Rectangle {
        id: wave
        readonly property real full: 2 * Math.sqrt(root.width * root.width
                                                   + root.height * root.height)
        property real size: 0
        property real cx: root.width / 2
        property real cy: root.height / 2
        x: cx - size / 2
        y: cy - size / 2
        width: size
        height: size
        radius: size / 2
        color: root.color
        opacity: 0
    }

    ParallelAnimation {
        id: spread
        NumberAnimation {
            target: wave
            property: "size"
            from: 0
            to: wave.full
            duration: 300
            easing.type: Easing.OutQuad
        }
        NumberAnimation {
            target: wave
            property: "opacity"
            from: 1
            to: 0
            duration: 450
        }
    }

    onPressedChanged: {
        if (!pressed)
            return
        const press = anchor && anchor.pressX !== undefined
                ? root.mapFromItem(anchor, anchor.pressX, anchor.pressY)
                : Qt.point(width / 2, height / 2)
        wave.cx = press.x
        wave.cy = press.y
        spread.restart()
    }
}
