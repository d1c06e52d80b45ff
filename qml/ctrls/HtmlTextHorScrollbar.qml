import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// The horizontal bar of wide texts: always on while the text is wider than the view.
ScrollBar {
    id: control

    orientation: Qt.Horizontal
    height: 12
    anchors.bottom: parent ? parent.bottom : undefined
    policy: ScrollBar.AlwaysOn
    visible: size < 1.0
    // A very wide text must still leave a handle that can be grabbed; the minimum acts on
    // the drawn handle, so it stays inside the track at the far end.
    minimumSize: 0.15

    contentItem: Rectangle {
        implicitWidth: 13
        implicitHeight: 12
        color: control.pressed ? control.Material.scrollBarHoveredColor
                               : control.Material.scrollBarColor
        Behavior on color {
            ColorAnimation {
                duration: 200
            }
        }
        Behavior on width {
            NumberAnimation {
                duration: 150
            }
        }
    }
}
