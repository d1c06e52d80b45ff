import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// The face of a dialog or menu, lifted by a shadow that every scene graph backend draws
// (Material's own elevation is a shader effect, which the software backend leaves out).
Rectangle {
    id: root

    implicitWidth: 200
    implicitHeight: Material.menuItemHeight
    radius: 2
    color: Material.dialogColor

    SoftShadow {
        objectName: "popup_shadow"
        z: -1
        anchors.fill: parent
        spread: 12
        offsetY: 4
        cornerRadius: root.radius
        color: "black"
        strength: root.Material.theme === Material.Dark ? 0.55 : 0.3
    }
}
