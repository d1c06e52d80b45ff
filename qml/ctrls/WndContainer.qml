import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Controls.Material.impl 2.12

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

    layer.enabled: m_const.isWin
    layer.effect: ElevationEffect {
        elevation: 6
    }
}
