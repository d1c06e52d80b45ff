import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A bar rounded only at its top corners, over a soft glow that can be switched off.
Rectangle {
    id: root

    readonly property real init_glow_radius: 4

    function enableShadow(show_shadow) {
        if (show_shadow)
            activateShadow()
        else
            disableShadow()
    }

    function activateShadow() {
        glow.spread = init_glow_radius
        glow.enabled = true
    }

    function disableShadow() {
        glow.spread = 0
        glow.enabled = false
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: parent.radius
        color: parent.color
    }

    SoftShadow {
        id: glow
        z: -1
        anchors.fill: parent
        spread: root.init_glow_radius
        cornerRadius: root.radius
        color: Qt.darker(root.Material.dropShadowColor)
        strength: 0.6
        Behavior on spread {
            NumberAnimation {}
        }
    }
}
