import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A slim vertical scroll bar that widens under the mouse; it shows while scrolling.
ScrollBar {
    id: control

    anchors.right: parent ? parent.right : undefined
    minimumSize: 0.2
    hoverEnabled: true
    // Nothing drawn behind the handle; an item rather than null, as the style fades it.
    background: Item {}

    contentItem: Rectangle {
        implicitWidth: control.hovered || control.pressed ? 12 : 7
        radius: width / 2
        color: control.pressed ? control.Material.scrollBarPressedColor
             : control.interactive && control.hovered ? control.Material.scrollBarHoveredColor
             : control.Material.scrollBarColor
        opacity: 0.0
        Behavior on implicitWidth {
            NumberAnimation {
                duration: 150
                easing.type: Easing.OutCubic
            }
        }
    }
}
