import QtQuick 2.12

// A list of the main window whose row actions go out through the utilities' signals, to
// which the main window answers; used for the Clipboard view and for linked hosts.
MainViewList {
    id: root

    onSigCopyBtnClicked: m_utilities.sigActivateItem(root.model, index)
    onSigShowDetails: m_utilities.sigShowDetails(m, index)
    onSigClearDetails: m_utilities.sigClearDetails()
    onSigRowCountChanged: m_utilities.sigModelRowCountChanged(root.model)
}
