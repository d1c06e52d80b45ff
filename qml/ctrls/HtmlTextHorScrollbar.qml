import QtQuick 2.12
import QtQuick.Controls.Material 2.5
import QtQuick.Templates 2.5 as T

// The horizontal bar of wide texts: always on while the text is wider than the view. Built
// on the template, drawn as the style draws an active bar: the style's bar fades itself in
// even when always on, a quarter second of frames each time a text is shown.
T.ScrollBar {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding)
    padding: control.interactive ? 1 : 2
    orientation: Qt.Horizontal
    height: 12
    anchors.bottom: parent ? parent.bottom : undefined
    policy: T.ScrollBar.AlwaysOn
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

    background: Rectangle {
        implicitWidth: control.interactive ? 16 : 4
        implicitHeight: control.interactive ? 16 : 4
        color: "#0e000000"
        visible: control.interactive
    }
}
