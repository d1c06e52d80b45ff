import QtQuick 2.12

// The outcome of an update check: a found version opens the update dialog, the others
// show as a toast.
Connections {
    property var dialogs: null

    target: m_updater

    function onSigFoundUpdates(version_num, relnote_html) {
        dialogs.update(version_num, relnote_html)
    }

    function onSigCheckFailed() {
        m_utilities.sigShowToast4Main(qsTranslate("UpdatesFoundDlg", "Check updates failed"))
    }

    function onSigNoUpdates() {
        m_utilities.sigShowToast4Main(qsTranslate("UpdatesFoundDlg",
                                                  "Latest version is installed"))
    }
}
