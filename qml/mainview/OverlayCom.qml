import QtQuick 2.12
import QtQuick.Controls.Material 2.5

// The dimmer of modal dialogs: it covers exactly the visible window face, not the
// transparent shadow margin around it.
Rectangle {
    property var wnd_box: null

    anchors.fill: parent
    anchors.margins: wnd_box ? wnd_box.shadow_len : 0
    radius: wnd_box ? wnd_box.radius : 0
    // The style dims the dark theme with a light grey, which leaves the window behind a
    // dialog mid-grey with washed-out text; a dark veil keeps it readable.
    color: Material.theme === Material.Dark ? Qt.rgba(0, 0, 0, 0.4) : Material.backgroundDimColor

    Behavior on opacity {
        NumberAnimation {
            duration: 150
        }
    }
}
