import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Window 2.12
import CTypes 1.0
import ".."
import "../ctrls"
import "../FontVars.js" as FV

// The quick paste window: the Clipboard list (and, one page to the right, the Pin list)
// as live previews; the chosen item is pasted into the window that had the focus before.
// Its controller places it and calls changeVisible() for the hot keys.
Window {
    id: root
    objectName: "quick_paste_wnd"

    readonly property int page_move_ms: 200

    function changeVisible(to_pin) {
        if (visible)
            hide()
        else
            ensureVisible(to_pin)
    }

    function ensureVisible(to_pin) {
        if (!visible) {
            if (to_pin === true && swipelayout.currentIndex === 0) {
                swipelayout.contentItem.highlightMoveDuration = 0
                swipelayout.incrementCurrentIndex()
                swipelayout.contentItem.highlightMoveDuration = page_move_ms
            }
            // Rows that arrived while hidden get their function keys again.
            for (const list of [view, view_pin]) {
                list.applyFilterNow("")
                list.currentIndex = 0
                list.positionViewAtBeginning()
            }
            view.forceActiveFocus()
        }
        m_utilities.qpWndAbout2Show()
        show()
        raise()
        requestActivate()
    }

    function getCurList() {
        return swipelayout.currentIndex === 0 ? view : view_pin
    }

    function getCurFilter() {
        return search_input_pin.visible ? search_input_pin : search_input
    }

    function quickPaste() {
        quickPasteCurViewByIndex(getCurList().currentIndex)
    }

    function quickPasteCurViewByIndex(index) {
        // Hiding returns to the first page: the list is taken before.
        const model = getCurList().model
        // Where only the focused window may write the clipboard, the item goes there first.
        if (m_utilities.quickPasteWritesBeforeHide()) {
            const written = m_utilities.writeWhileFocused(model, index)
            hide()
            if (written)
                m_utilities.pasteWrittenItem()
            return
        }
        hide()
        m_utilities.pasteFromQuickPaste(model, index)
    }

    function filterOnRowCountChanged() {
        const field = getCurFilter()
        if (field.text === "")
            return
        const list = getCurList()
        Qt.callLater(function () {
            list.applyFilterNow(field.text)
        })
    }

    function switchFocus() {
        if (getCurList().activeFocus)
            getCurFilter().forceActiveFocus()
        else
            getCurList().forceActiveFocus()
    }

    function hideStyle() {
        return parseInt(m_ini.getIni(m_ini.stack_qp_hide()), 10)
    }

    width: 500
    height: 600
    visible: false
    // See-through only where the face has a shadow margin (see main.qml).
    color: main_box.shadow_len > 0 ? "transparent" : Material.background
    flags: Qt.platform.os === "windows"
           ? Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.Tool
           : Qt.WindowStaysOnTopHint | Qt.FramelessWindowHint | Qt.Window
    title: m_const.app_name

    Material.theme: m_const.theme
    Material.accent: m_const.isDark ? m_const.color_accent_dark : Material.Pink
    Material.background: m_const.isDark ? m_const.color_background_dark : undefined

    onVisibleChanged: {
        if (visible) {
            getCurList().forceActiveFocus()
        } else {
            search_input.clear()
            search_input_pin.clear()
            swipelayout.setCurrentIndex(0)
            m_utilities.cleanEngineCache(root)
        }
        m_const.qp_wnd_visible = visible
    }

    onActiveChanged: {
        if (!active && visible && hideStyle() === CTypes.FocusLost)
            hide()
    }

    Component.onCompleted: {
        minimumWidth = width * 2 / 3
        minimumHeight = height * 2 / 3
    }

    WndContainer {
        id: main_box

        HalfRadiusRt {
            id: search_box
            objectName: "search_box"
            x: main_box.border.width
            width: main_box.width - 2 * main_box.border.width
            height: 54
            radius: main_box.radius
            color: root.Material.background
            shadow_on: false

            MouseWndMover {
                objectName: "wnd_mover"
                wnd_move_target: root
                wnd_offset: main_box.shadow_len
            }

            Row {
                anchors.fill: parent

                Label {
                    id: search_icon
                    width: height
                    height: parent.height
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    text: FV.Search
                    font.family: FV.FontIcon
                    font.pixelSize: 22
                    color: search_input.activeFocus || search_input_pin.activeFocus
                           ? root.Material.accentColor : root.Material.secondaryTextColor
                    Behavior on color {
                        ColorAnimation {
                            duration: 200
                            easing.type: Easing.OutCubic
                        }
                    }
                }

                Column {
                    id: field_column
                    readonly property real spacer: (height - field_metrics.height) / 2
                    width: parent.width - search_icon.width - right_spacer.width
                    height: parent.height

                    FontMetrics {
                        id: field_metrics
                        font: search_input.font
                    }
                    Item {
                        width: 1
                        height: field_column.spacer
                    }
                    QuickPasteFilter {
                        id: search_input
                        objectName: "search_input"
                        width: parent.width
                        filter_view: view
                        visible: swipelayout.currentIndex === 0
                        onActiveFocusChanged: search_box.enableShadow(activeFocus)
                    }
                    QuickPasteFilter {
                        id: search_input_pin
                        objectName: "search_input_pin"
                        width: parent.width
                        filter_view: view_pin
                        visible: swipelayout.currentIndex === 1
                        placeholderText: qsTranslate("Global", "Search pinned")
                        onActiveFocusChanged: search_box.enableShadow(activeFocus)
                    }
                    Item {
                        width: 1
                        height: field_column.spacer
                    }
                }

                Item {
                    id: right_spacer
                    width: 2 * search_box.radius
                    height: 1
                }
            }
        }

        Item {
            id: main_bottom
            y: search_box.height
            width: main_box.width
            height: main_box.height - search_box.height - main_box.radius

            Image {
                objectName: "placeholder"
                anchors.centerIn: parent
                source: m_const.isDark ? "qrc:/logo/def_dark.png" : "qrc:/logo/def.png"
                visible: !swipelayout.visible
            }

            PagesView {
                id: swipelayout
                objectName: "swipelayout"
                anchors.fill: parent
                // The page dots get a strip of their own below the rows.
                anchors.bottomMargin: page_dots.height
                focus: true
                clip: true
                currentIndex: 0
                Component.onCompleted: contentItem.highlightMoveDuration = root.page_move_ms

                QuickViewList {
                    id: view
                    objectName: "view"
                    model: m_model
                    onSigDbClicked: root.quickPaste()
                    onSigRowCountChanged: root.filterOnRowCountChanged()
                }
                QuickViewList {
                    id: view_pin
                    objectName: "view_pin"
                    model: m_model_pin
                    onSigDbClicked: root.quickPaste()
                    onSigRowCountChanged: root.filterOnRowCountChanged()
                }
            }

            PageIndicator {
                id: page_dots
                objectName: "page_dots"
                interactive: false
                count: swipelayout.count
                currentIndex: swipelayout.currentIndex
                anchors.bottom: parent.bottom
                anchors.horizontalCenter: swipelayout.horizontalCenter
            }
        }
    }

    // A list shown again takes the focus; while the user types a search it stays in the
    // field, or the next keys would be lost.
    function showLists(shown) {
        const field = search_input.activeFocus ? search_input
                    : search_input_pin.activeFocus ? search_input_pin : null
        swipelayout.visible = shown
        if (field)
            field.forceActiveFocus()
    }

    Connections {
        target: m_model
        function onSigQPFilterNoItemVisible(all_hidden) {
            root.showLists(!all_hidden)
        }
    }
    Connections {
        target: m_model_pin
        function onSigQPFilterNoItemVisible(all_hidden) {
            root.showLists(!all_hidden)
        }
    }
    Connections {
        target: m_ini
        function onSigQuickpasteItemHeightChanged(height) {
            if (view.item_height === height)
                return
            view.item_height = height
            view_pin.item_height = height
        }
    }

    ShortcutQuickPaste {
        onSigQuickPasteIndex: {
            const list = root.getCurList()
            if (list.model.rowCount() >= index + 1)
                root.quickPasteCurViewByIndex(index)
        }
        onSigQuickPasteIndexFunctionKey: {
            const row = root.getCurList().rowOfFunctionKey(key)
            if (row !== -1)
                root.quickPasteCurViewByIndex(row)
        }
    }

    ShortcutWrap {
        onSigPin: root.quickPaste()
        onSigClose: root.hide()
        onSigFind: root.getCurFilter().forceActiveFocus()
        onSigSwitchWndFocus: root.switchFocus()
        onSigMoveCurItem: {
            if (is_up)
                root.getCurList().move2PrevRow()
            else
                root.getCurList().move2NextRow()
        }
        onSigMoveCurItemPage: {
            if (is_up)
                root.getCurList().move2PrevPage()
            else
                root.getCurList().move2NextPage()
        }
        onSigKeyLeftRight: {
            if (!view.activeFocus && !view_pin.activeFocus)
                return
            if (to_right && swipelayout.currentIndex === 0)
                swipelayout.incrementCurrentIndex()
            else if (!to_right && swipelayout.currentIndex === 1)
                swipelayout.decrementCurrentIndex()
        }
    }
}
