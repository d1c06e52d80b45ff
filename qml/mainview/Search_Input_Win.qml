import QtQuick 2.12
import "../ctrls"

// The search field of one list.
CAnimatedLineEdit {
    id: root

    placeholderText: qsTranslate("MainView", "Search")
    leftPadding: 6
    rightPadding: 6 + clear_btn.width
    persistentSelection: true

    Behavior on width {
        SmoothedAnimation {
            duration: 200
        }
    }

    TextFieldClearBtn {
        id: clear_btn
        height: parent.height
        anchors.verticalCenter: parent.verticalCenter
    }
}
