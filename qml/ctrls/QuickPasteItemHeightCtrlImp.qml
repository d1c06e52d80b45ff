import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// One segment of the row-height chooser: its text above an indicator line. The segment's
// width is the row height it stands for.
AbstractButton {
    id: control

    checkable: true
    hoverEnabled: true
    font.pixelSize: 14
    implicitHeight: label.implicitHeight + 8 + 4

    contentItem: Item {
        Label {
            id: label
            anchors.horizontalCenter: parent.horizontalCenter
            text: control.text
            font: control.font
            color: control.checked ? control.Material.accent : control.Material.foreground
        }
    }

    background: Item {
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 4
            color: control.hovered ? control.Material.rippleColor : control.Material.dividerColor
        }
    }
}
