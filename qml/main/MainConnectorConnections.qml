import QtQuick 2.12

// The main window's answers to the connector: linked hosts come and go (host bar, list
// pages, search fields), errors show in a message box, transfers on the host buttons.
Connections {
    property var wnd: null
    property var lists: null
    property var filter: null
    property var hosts: null
    property var dialogs: null

    target: m_connector

    function onSigUpdateConnection() {
        // The remote view shown may belong to a host that has just left.
        const shown_ip = lists.isLocalView() ? "" : lists.getCurModel().getIp()
        lists.updatesHostsList()
        hosts.updateHostsNav()
        filter.updateFilter()
        if (shown_ip === "")
            return
        if (m_connector.getHostsIndex(shown_ip) === -1)
            wnd.switchView2Local(true)
        else
            wnd.switchView2Remote(shown_ip)
    }

    function onSigStartServerFailed(why) {
        wnd.ensureVisible()
        dialogs.message(qsTranslate("Connection", "Failed to accept remote connection.") + "\n"
                        + why, "", 150)
    }

    function onSigConnectionErr(ip, why, is_server) {
        dialogs.message(ip + "\n" + why, "", 150)
        dialogs.closeDownloadAfterError(ip, is_server)
    }

    function onSigFileSendingStarted(file_path, ip) {
        hosts.updateFileTransferState(true, true, ip, file_path)
    }
    function onSigFileSent(file_path, ip) {
        hosts.updateFileTransferState(true, false, ip, file_path)
    }
    function onSigFileDownloadStarted(file_path, ip) {
        hosts.updateFileTransferState(false, true, ip, file_path)
    }
    function onSigFileDownloaded(file_path, ip) {
        hosts.updateFileTransferState(false, false, ip, file_path)
    }
    // A failed transfer is over too.
    function onSigFileDownloadErr(file_path, ip, why) {
        hosts.updateFileTransferState(false, false, ip, file_path)
    }
}
