import QtQuick 2.12

// The main window's answers to the utilities' signals: details of the current item,
// activation, toasts and the return to the first row.
Connections {
    property var wnd: null
    property var lists: null
    property var filter: null
    property var dialogs: null

    target: m_utilities

    function onSigShowDetails(m, index) {
        wnd.showItemDetails(m, index)
    }

    function onSigClearDetails() {
        wnd.clearDetailsViewContents()
    }

    // New rows arrive unfiltered; the search of that list is applied again once the
    // change is complete.
    function onSigModelRowCountChanged(m) {
        if (filter.textFor(m) === "")
            return
        Qt.callLater(function () {
            m.filterText(filter.textFor(m))
        })
    }

    function onSigActivateItem(m, index) {
        if (!m.isLocal())
            m_cb.copyRemoteItem2Main(m, index)
        else if (m.isPin())
            m_cb.copyPinItem2Main(index)
        else
            m.moveRow2Top(index)
        wnd.switchView2Local(false, true)
    }

    // The user chooses where the file goes; no choice, no download.
    function onSigDownloadFile(ip, file_path) {
        const path = m_utilities.getSavingPath(m_utilities.getFileName(file_path))
        if (path !== "")
            dialogs.download(ip, file_path, path)
    }

    function onSigGotoFirstIndex4Main() {
        Qt.callLater(function () {
            const list = lists.getLocalMainList()
            if (list && list.model.rowCount() > 0) {
                list.currentIndex = 0
                list.move2StartRow()
            }
        })
    }

    function onSigShowToast4Main(msg) {
        dialogs.toast(msg)
    }
}
