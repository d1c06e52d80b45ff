import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"
import "../FontVars.js" as FV

// The buttons at the right end of a row, laid out from the right edge: favourite, pin,
// copy. The row's width for them is the sum of the visible ones.
Row {
    id: root

    property real btn_size: 36
    property var list_model: null
    property int row_index: -1
    property bool hovered: false
    property bool pin_status: false
    property int fav_num: -1

    readonly property alias fav_btn: btn_fav
    readonly property alias pin_btn: btn_pin
    readonly property alias copy_btn: btn_copy

    signal sigCopyBtnClicked()

    readonly property bool is_local: list_model !== null && list_model.isLocal()
    readonly property bool is_pin_model: list_model !== null && list_model.isPin()
    readonly property bool fav_exists: is_local && is_pin_model
    readonly property bool is_favourite: fav_num !== -1

    layoutDirection: Qt.RightToLeft
    spacing: 0

    ListViewBtn {
        id: btn_fav
        length: root.btn_size
        // A favourite's number shows always: it is the key that pastes it.
        visible: root.fav_exists && (root.hovered || root.is_favourite)
        checkable: true
        checked: root.is_favourite
        text: checked ? root.fav_num : FV.P_Char
        font.family: checked ? (m_const.isChina ? FV.FontChina : FV.FontRoboto) : FV.FontIcon
        font.bold: checked
        tooltip_str: qsTranslate("MainView", "Favor")
        onClicked: {
            m_cb.setIndexFavor(root.row_index)
            // The model refuses a tenth favourite; the button then shows the refusal.
            checked = Qt.binding(function () { return root.is_favourite })
        }
    }

    ListViewBtn {
        id: btn_pin
        length: root.btn_size
        visible: root.is_local && (root.is_pin_model
                                   ? root.hovered && !(root.fav_exists && btn_fav.checked)
                                   : root.hovered || root.pin_status)
        checkable: true
        checked: root.is_pin_model || root.pin_status
        text: checked ? FV.Pinned : FV.Unpin
        tooltip_str: qsTranslate("MainView", "Pin")
        onClicked: {
            if (checked)
                m_cb.pinItem(root.row_index)
            else
                m_cb.pinRmItem(root.list_model, root.row_index)
            checked = Qt.binding(function () { return root.is_pin_model || root.pin_status })
        }
    }

    ListViewBtn {
        id: btn_copy
        length: root.btn_size
        visible: root.hovered && (!root.is_local || root.is_pin_model || root.row_index !== 0)
        text: FV.Copy
        tooltip_str: qsTranslate("MainView", "Copy")
        onClicked: root.sigCopyBtnClicked()
    }
}
