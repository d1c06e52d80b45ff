import QtQuick 2.12
import QtQuick.Controls 2.5

// One row of a settings page: a label of a common width, then the control.
Row {
    property string label: ""
    property real label_width: 0
    readonly property real label_implicit_width: label.implicitWidth

    height: 48
    spacing: 8

    // A label longer than the common width keeps its whole text.
    Label {
        id: label
        width: Math.max(parent.label_width, implicitWidth)
        anchors.verticalCenter: parent.verticalCenter
        text: parent.label
        font.pixelSize: 14
    }
}
