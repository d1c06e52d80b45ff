import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"

// Asks the user to confirm an action; the opener learns the answer when it closes.
Dialog {
    id: root
    background: PopupBackground {}

    property string msg: ""
    property bool is_confirm: false
    property var fun4Closed: null

    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    standardButtons: Dialog.Ok | Dialog.Cancel

    Label {
        anchors.fill: parent
        text: root.msg
        font.pixelSize: 16
        wrapMode: Text.Wrap
        verticalAlignment: Text.AlignVCenter
    }

    // The keyboard confirms as OK does; Escape cancels.
    Shortcut {
        sequences: ["Return", "Enter"]
        onActivated: root.accept()
    }

    onAccepted: {
        is_confirm = true
        close()
    }
    onRejected: close()

    Component.onCompleted: {
        footer.font.pixelSize = 14
        footer.height = 52
        footer.standardButton(Dialog.Ok).text = qsTranslate("Global", "OK")
        footer.standardButton(Dialog.Cancel).text = qsTranslate("Global", "Cancel")
        footer.buttonLayout = m_const.isWin ? DialogButtonBox.WinLayout
                                            : DialogButtonBox.MacLayout
    }
}
