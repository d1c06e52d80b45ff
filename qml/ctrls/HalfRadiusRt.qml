import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtGraphicalEffects 1.12

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
        glow.glowRadius = init_glow_radius
        glow.cornerRadius = radius + init_glow_radius
        glow.enabled = true
    }

    function disableShadow() {
        glow.glowRadius = 0
        glow.cornerRadius = 0
        glow.enabled = false
    }

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: parent.radius
        color: parent.color
    }

    RectangularGlow {
        id: glow
        z: -1
        anchors.fill: parent
        glowRadius: root.init_glow_radius
        cornerRadius: root.radius + root.init_glow_radius
        color: Qt.darker(root.Material.dropShadowColor)
        Behavior on glowRadius {
            NumberAnimation {}
        }
        Behavior on cornerRadius {
            NumberAnimation {}
        }
    }
}
