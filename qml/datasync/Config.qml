import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Layouts 1.12
import "../ctrls"

// The connection dialog: this computer's address and password on one tab, linking to
// another computer on the other. While an attempt runs, and after it failed, the tabs
// hide and the dialog's button cancels and returns to the form.
Dialog {
    id: root
    background: PopupBackground {}

    readonly property string btn_ok_text: qsTranslate("Global", "OK")
    readonly property alias cur_tab: tab_bar.currentIndex

    function applyButton() {
        return standardButton(Dialog.Apply)
    }

    function saveSettings() {
        m_ini.setIni(m_ini.connect_ip(), cr.ip_addr)
        savePassword()
    }

    // An empty password saved here is the user's choice, kept over restarts.
    function savePassword() {
        m_ini.setIni(m_ini.connect_local_pwd(), cl.pwd)
        m_ini.setIni(m_ini.connect_local_pwd_open(), cl.pwd === "")
    }

    function isConnecting() {
        return cr.currentIndex !== 0
    }

    function switch2Connecting() {
        tab_bar.visible = false
        cr.currentIndex = 1
        applyButton().text = qsTranslate("Global", "Cancel")
    }

    function switch2Config() {
        m_connector.sigCancelConnect(cr.connecting_ip)
        tab_bar.visible = true
        cr.currentIndex = 0
        applyButton().text = btn_ok_text
    }

    modal: true
    focus: true
    // Escape closes it as any dialog; a click beside it does not.
    closePolicy: Popup.CloseOnEscape
    topPadding: 12
    bottomPadding: 0
    standardButtons: Dialog.Apply

    Behavior on x {
        SmoothedAnimation {
            duration: 150
        }
    }
    Behavior on y {
        SmoothedAnimation {
            duration: 150
        }
    }

    header: TabBar {
        id: tab_bar
        objectName: "config_tabs"
        width: root.width

        TabButton {
            objectName: "tab_local"
            text: qsTranslate("Connection", "Local")
        }
        TabButton {
            objectName: "tab_connect"
            text: qsTranslate("Connection", "Connect")
        }

        // The other computer may link as soon as the password is set.
        onCurrentIndexChanged: {
            if (currentIndex === 1)
                root.savePassword()
        }
    }

    contentItem: StackLayout {
        currentIndex: tab_bar.currentIndex

        ConfigLocal {
            id: cl
            objectName: "config_local"
        }
        ConfigRemote {
            id: cr
            objectName: "config_remote"
            height_tabbar: tab_bar.height
            onSigDoConnect: {
                root.switch2Connecting()
                m_connector.connect2Server(ip, pwd, port)
            }
        }
    }

    onApplied: {
        if (applyButton().text !== btn_ok_text)
            switch2Config()
        else
            close()
    }

    Component.onCompleted: applyButton().text = btn_ok_text
    // Closed during an attempt (Escape): the attempt ends with the dialog.
    onClosed: {
        if (isConnecting())
            m_connector.sigCancelConnect(cr.connecting_ip)
    }

    Connections {
        target: m_connector
        function onSigConnectResult(is_ok, msg) {
            if (!root.isConnecting())
                return
            if (is_ok) {
                root.close()
                return
            }
            console.log("Config: connection failed:", msg)
            cr.connectFailed(msg)
        }
    }
}
