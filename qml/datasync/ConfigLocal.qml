import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Layouts 1.12
import "../ctrls"
import "../FontVars.js" as FV

// The "Local" page of the connection dialog: what another computer needs to link to this
// one, this computer's address and the password it asks for.
ColumnLayout {
    id: root

    property alias pwd: input_pwd.text

    // What the copy button puts on the clipboard: the address line, and the password line
    // only when there is a password.
    function addressText() {
        let text = qsTranslate("Connection", "IP address:") + "  " + local_ip.text + "\n"
        if (input_pwd.text !== "")
            text += qsTranslate("Connection", "Password:") + "  " + input_pwd.text
        return text
    }

    spacing: 0

    RowLayout {
        Layout.fillWidth: true
        spacing: 4

        TextField {
            id: local_ip
            objectName: "local_ip"
            Layout.fillWidth: true
            text: m_connector.getLocalIP()
            readOnly: true
            selectByMouse: true
            font.pixelSize: 16
            background: Item {}
        }
        ListViewBtn {
            objectName: "btn_copy_ip"
            length: 40
            text: FV.Copy
            tooltip_str: qsTranslate("Connection", "Copy")
            // The password must not reach any history, nor the linked hosts through ours.
            onClicked: m_utilities.copySecretText(root.addressText())
        }
    }

    // Other computers cannot link while the port is taken; it is tried again meanwhile.
    Label {
        objectName: "local_unreachable"
        Layout.fillWidth: true
        visible: m_connector.serverProblem !== ""
        text: qsTranslate("Connection", "Other computers cannot reach this one: %1")
              .arg(m_connector.serverProblem)
        wrapMode: Text.WordWrap
        font.pixelSize: 12
        color: Material.color(Material.Red)
    }

    RowLayout {
        Layout.fillWidth: true
        spacing: 4

        CAnimatedLineEdit {
            id: input_pwd
            objectName: "local_pwd"
            Layout.fillWidth: true
            echoMode: btn_visible.checked ? TextInput.Normal : TextInput.Password
            placeholderText: qsTranslate("Connection", "Password, optional")
            text: String(m_ini.getIni(m_ini.connect_local_pwd()) || "")
        }
        ListViewBtn {
            id: btn_visible
            objectName: "btn_pwd_visible"
            length: 40
            checkable: true
            focusPolicy: Qt.NoFocus
            text: FV.Eye
            tooltip_str: qsTranslate("Connection", "Visible")
        }
    }

    Label {
        objectName: "local_pwd_warning"
        Layout.fillWidth: true
        visible: input_pwd.text === ""
        text: qsTranslate("Connection", "Anyone on your network can link without a password.")
        wrapMode: Text.WordWrap
        font.pixelSize: 12
        color: Material.color(Material.Red)
    }

    // Computers that do not offer encryption link in clear text unless this is on.
    CheckBox {
        objectName: "refuse_plain"
        Layout.fillWidth: true
        text: qsTranslate("Connection", "Refuse unencrypted links")
        checked: String(m_ini.getIni(m_ini.connect_refuse_plain())) === "true"
        onToggled: m_ini.setIni(m_ini.connect_refuse_plain(), checked)
    }

    Item {
        Layout.fillHeight: true
    }
}
