import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// The visible face of a frameless window: rounded, bordered and lifted by a shadow that is
// drawn inside the window's transparent margin.
Rectangle {
    id: root

    readonly property int shadow_len: m_const.isWin ? m_const.shadow_len : 0

    anchors.fill: parent
    anchors.margins: shadow_len
    // Rounded corners leave see-through pixels, which only a compositor draws as such;
    // without one (and so without a shadow margin) they would show black.
    radius: shadow_len > 0 ? m_const.wnd_radius : 0
    border.width: m_const.isWin ? 1 : 0
    border.color: Material.theme === Material.Dark ? "#171717" : "#d9d9d9"
    color: Material.background

    // Material's elevation 6: a soft shadow a little below the face, drawn as plain shapes
    // so that every scene graph backend shows it.
    SoftShadow {
        id: shadow
        objectName: "elevation_shadow"
        z: -1
        anchors.fill: parent
        visible: root.shadow_len > 0
        spread: Math.min(14, root.shadow_len)
        offsetY: 3
        cornerRadius: root.radius
        color: "black"
        strength: root.Material.theme === Material.Dark ? 0.5 : 0.28
    }
}
