import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A bar rounded only at its top corners, over a soft glow that can be switched off.
Rectangle {
    id: root

    readonly property real init_glow_radius: 4
    // Whether the glow shows. A bar made without it starts without it: switched off only
    // once made, the glow faded out over the first frames of the window that holds it.
    property bool shadow_on: true

    function enableShadow(show_shadow) {
        shadow_on = show_shadow
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
        enabled: root.shadow_on
        spread: root.shadow_on ? root.init_glow_radius : 0
        cornerRadius: root.radius
        color: Qt.darker(root.Material.dropShadowColor)
        strength: 0.6
        Behavior on spread {
            NumberAnimation {}
        }
    }
}
