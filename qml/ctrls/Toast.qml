import QtQuick 2.12
import "../FontVars.js" as FV

// One message that fades in, stays a while and fades out.
Rectangle {
    id: root

    property bool is_finished: false
    property real time: defaultTime
    property real defaultTime: 3000
    property real fadeTime: 300
    property real margin: 16
    property bool selfDestroying: true
    property alias bg_color: root.color
    property alias text_color: message.color

    // A toast never shows shorter than its two fades.
    function show(text, duration) {
        message.text = text
        if (duration !== undefined && duration !== null)
            time = Math.max(duration, 2 * fadeTime)
        else
            time = defaultTime
        anim.restart()
    }

    x: margin
    width: parent ? parent.width - 2 * margin : 0
    height: message.height + margin
    radius: 2
    opacity: 0

    Text {
        id: message
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: root.margin / 2
        anchors.verticalCenter: parent.verticalCenter
        font.pixelSize: 14
        font.family: FV.FontRoboto
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }

    SequentialAnimation {
        id: anim
        NumberAnimation {
            target: root
            property: "opacity"
            to: 0.95
            duration: root.fadeTime
        }
        PauseAnimation {
            duration: root.time - 2 * root.fadeTime
        }
        NumberAnimation {
            target: root
            property: "opacity"
            to: 0
            duration: root.fadeTime
        }
        // Only a run that reached its end finishes the toast; a restart does not.
        onFinished: {
            if (root.selfDestroying)
                root.is_finished = true
        }
    }
}
