import QtQuick 2.12
import "../OptionalServices.js" as Services

// What the main window's keys do to the current list: delete, pin, activate, move, the
// info box, focus and the left/right walk across the views.
QtObject {
    id: root

    property var wnd: null
    property var lists: null
    property var filter: null
    property var dialogs: null

    function curList() {
        return lists.getCurList()
    }
    // The current list's current row, or -1 when there is none.
    function curIndex() {
        const list = curList()
        if (!list || list.currentIndex < 0 || list.currentIndex >= list.model.rowCount())
            return -1
        return list.currentIndex
    }
    function refuseRemote() {
        if (lists.isLocalView())
            return false
        dialogs.toast(qsTranslate("MainView", "Cannot delete remote data."))
        return true
    }

    // After a removal the list's current row is another item (or none): the panel shows
    // that one, once the list has taken the removal in.
    function showCurrentAfterRemoval() {
        const list = curList()
        if (list)
            list.forceLayout()
        wnd.updateCurDetails()
    }

    function del() {
        if (refuseRemote())
            return
        const m = lists.getCurModel()
        const i = curIndex()
        if (i === -1)
            return
        if (!m.isPin()) {
            m.removeItem(i)
            // The removed row was the clipboard's content: the clipboard follows the list.
            if (i === 0)
                m_cb.syncModel2Clipboard()
            showCurrentAfterRemoval()
            return
        }
        if (m.getFav(i) === -1) {
            m_cb.pinRmItem(m, i)
            showCurrentAfterRemoval()
            return
        }
        // The row is found again by its key: the list may change while the user decides.
        const md5 = m.getMd5(i)
        dialogs.confirm(qsTranslate("MainView", "You're deleting a favor item."),
                        function (is_confirm) {
                            const row = m.indexOfMD5(md5)
                            if (!is_confirm || row === -1)
                                return
                            m_cb.pinRmItem(m, row)
                            showCurrentAfterRemoval()
                        })
    }

    function delAll() {
        if (refuseRemote())
            return
        const m = lists.getCurModel()
        if (m.rowCount() === 0) {
            dialogs.toast(qsTranslate("MainView", "This list is empty."))
            return
        }
        dialogs.confirm(qsTranslate("MainView", "You're deleting all items."),
                        function (is_confirm) {
                            if (!is_confirm)
                                return
                            // Unpinning one by one also clears the pin marks of the
                            // Clipboard list's rows.
                            if (m.isPin()) {
                                for (let r = m.rowCount() - 1; r >= 0; --r)
                                    m_cb.pinRmItem(m, r)
                            }
                            m.resetModelData()
                            wnd.clearDetailsViewContents()
                        })
    }

    function pin() {
        const m = lists.getCurModel()
        const i = curIndex()
        if (lists.isLocalView() && !m.isPin() && i !== -1)
            m_cb.pinItem(i)
    }

    function activate() {
        // A search still waiting for its frame decides which row Enter means.
        curList().flushFilter()
        const i = curIndex()
        if (i !== -1)
            m_utilities.sigActivateItem(lists.getCurModel(), i)
    }

    function info() {
        const m = lists.getCurModel()
        const lines = [qsTranslate("MainView", "Count:") + " " + m.rowCount(),
                       qsTranslate("MainView", "Text:") + " " + m.getTextCount(),
                       qsTranslate("MainView", "Image:") + " " + m.getImgCount(),
                       qsTranslate("MainView", "Others:") + " " + m.getOthersCount()]
        dialogs.message(lines.join("\n"), "", 150)
    }

    function move(is_up) {
        const list = curList()
        if (is_up)
            list.move2PrevRow()
        else
            list.move2NextRow()
    }

    function movePage(is_up) {
        const list = curList()
        if (is_up)
            list.move2PrevPage()
        else
            list.move2NextPage()
    }

    function switchFocus() {
        const list = curList()
        if (list.activeFocus)
            filter.activeFilter()
        else
            list.forceActiveFocus()
    }

    // The views form one row: Clipboard, Pin, first host, second host.
    function leftRight(to_right) {
        if (lists.isBusy())
            return
        const n = Services.hasConnector() ? m_connector.getHostsCount() : 0
        const is_local = lists.isLocalView()
        const is_pin = is_local && lists.getCurModel().isPin()
        const k = !is_local && Services.hasConnector()
                ? m_connector.getHostsIndex(lists.getCurModel().getIp()) : -1
        if (to_right) {
            if (is_local && !is_pin)
                wnd.switchView2Local(false, false)
            else if (is_pin && n > 0)
                wnd.switchView2Remote(m_connector.getHostsIP(0))
            else if (k === 0 && n === 2)
                wnd.switchView2Remote(m_connector.getHostsIP(1))
        } else {
            if (is_pin)
                wnd.switchView2Local(false, true)
            else if (k === 0)
                wnd.switchView2Local(false, false)
            else if (k === 1)
                wnd.switchView2Remote(m_connector.getHostsIP(0))
        }
    }
}
