import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A round link button of the About page: a glyph on a filled circle.
FontIconBtn {
    id: control

    readonly property bool is_dark: Material.theme === Material.Dark
    property color textcolor: is_dark ? Material.background : "white"

    font.pixelSize: 14
    implicitWidth: contentItem.implicitWidth + 2 * padding
    implicitHeight: implicitWidth
    ToolTip.delay: 0

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.textcolor
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    // Glyph and circle far enough apart to read (about 6:1 in either theme).
    background: Rectangle {
        radius: width / 2
        color: control.is_dark ? "#bdbdbd" : "#616161"
    }
}
