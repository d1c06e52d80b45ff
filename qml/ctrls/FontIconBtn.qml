import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Window 2.12
import "../FontVars.js" as FV

// A tool button showing one glyph of the icon font, with an optional hover tooltip.
ToolButton {
    id: control

    property string tooltip_str: ""

    font.family: FV.FontIcon
    hoverEnabled: true
    focusPolicy: Qt.ClickFocus

    background: PressRipple {
        implicitWidth: control.Material.touchTarget
        implicitHeight: control.Material.touchTarget
        pressed: control.pressed
        anchor: control
        active: control.down || control.activeFocus
        color: control.Material.rippleColor
    }

    // A button whose row is going away has no window left to show a popup in.
    ToolTip.visible: hovered && tooltip_str !== "" && Window.window !== null
    ToolTip.text: tooltip_str
    ToolTip.delay: Qt.styleHints.mousePressAndHoldInterval
}
