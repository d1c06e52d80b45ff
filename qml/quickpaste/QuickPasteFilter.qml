import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"

// The search field of one quick paste list: every change filters that list.
TextField {
    id: root

    property var filter_view: null

    font.pixelSize: 14
    leftPadding: 6
    rightPadding: 6 + clear_btn.width
    topPadding: 0
    bottomPadding: 0
    background: null
    selectByMouse: true
    persistentSelection: true
    placeholderText: qsTranslate("Global", "Search")

    onTextChanged: {
        if (filter_view)
            filter_view.applyFilterNow(text)
    }

    TextFieldClearBtn {
        id: clear_btn
        height: parent.height
        anchors.verticalCenter: parent.verticalCenter
    }
}
