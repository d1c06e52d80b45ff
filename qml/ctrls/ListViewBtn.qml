import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// The round glyph button of lists and title bars; `length` sets both sides.
FontIconBtn {
    id: control

    property alias length: control.width

    height: width
    font.pixelSize: 17
    highlighted: hovered

    background: Rectangle {
        radius: width / 2
        color: control.pressed ? control.Material.rippleColor : "transparent"
        Behavior on color {
            ColorAnimation {
                duration: 100
                easing.type: Easing.OutCubic
            }
        }
    }
}
