import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../FontVars.js" as FV

// The host bar below the lists: this computer, then one button per linked host. It shows
// only while a host is linked; choosing a button shows that host's list.
Item {
    id: root

    readonly property int hei_single_line: 38
    readonly property int hei_max: hei_single_line * 2
    property alias btn_color: btn_1.bg_color

    signal sigSwitch2Ip(string ip)
    signal sigSwitch2Local()

    function hostButton(index) {
        return index === 0 ? local_host : index === 1 ? btn_1 : index === 2 ? btn_2 : null
    }

    function updateCurHostBtn(index) {
        const btn = hostButton(index)
        if (btn === null) {
            console.trace()
            return
        }
        btn.checked = true
    }

    function osIcon(index) {
        return FV.getOSIcon(m_connector.getHostsOs(index)) || ""
    }

    // Gives a remote button the host at that index.
    function showHost(btn, index) {
        const ip = m_connector.getHostsIP(index)
        if (btn.tooltip_str !== ip)
            btn.icon_text = ""
        btn.text = m_connector.getHostsName(index)
        btn.is_ready = m_connector.isInit(index)
        btn.tooltip_str = ip
        btn.is_plain = !m_connector.isEncrypted(index)
        btn.security_note = btn.is_plain ? qsTranslate("Connection", "Unencrypted link")
                                         : qsTranslate("Connection", "Encrypted link, verification code %1")
                                           .arg(m_connector.getHostsCode(index))
        if (btn.icon_text === "")
            btn.icon_text = osIcon(index)
    }

    function updateHostsNav() {
        const count = m_connector.getHostsCount()
        if (count === 0) {
            height = 0
            local_host.checked = true
            btn_1.icon_text = ""
            btn_2.icon_text = ""
            return
        }
        if (count === 1) {
            height = hei_max
            btn_2.width = 0
            btn_border.width = 0
            btn_1.width = Qt.binding(function () { return host_row.width })
            showHost(btn_1, 0)
            return
        }
        if (count === 2) {
            height = hei_max
            btn_border.width = 1
            btn_2.width = Qt.binding(function () { return (host_row.width - 1) / 2 })
            btn_1.width = Qt.binding(function () {
                return host_row.width - btn_border.width - btn_2.width
            })
            showHost(btn_1, 0)
            showHost(btn_2, 1)
            return
        }
        console.exception("Error-------------------")
    }

    // A transfer shows on its host's button while it runs.
    function updateFileTransferState(is_sending, is_start, ip, file_path) {
        if (m_utilities.getFileName(file_path) === "history" || m_connector.getHostsCount() === 0)
            return
        for (const btn of [btn_1, btn_2]) {
            if (btn.tooltip_str !== ip || !btn.visible || btn.width === 0)
                continue
            if (is_start)
                btn.icon_text = is_sending ? FV.Cloud_Sending : FV.Cloud_Download
            else
                btn.icon_text = osIcon(m_connector.getHostsIndex(ip))
        }
    }

    clip: true
    height: 0
    visible: height !== 0

    Behavior on height {
        NumberAnimation {
            duration: 300
            alwaysRunToEnd: true
        }
    }

    onVisibleChanged: {
        if (visible) {
            local_host.checked = true
        } else {
            btn_1.icon_text = ""
            btn_2.icon_text = ""
        }
    }

    ButtonGroup {
        buttons: [local_host, btn_1, btn_2]
        exclusive: true
    }

    Column {
        width: parent.width

        HostBtn {
            id: local_host
            objectName: "host_local"
            is_local: true
            width: parent.width
            height: root.hei_single_line
            bg_color: btn_1.bg_color
            text: m_connector.getLocalName()
            onToggled: {
                if (checked)
                    root.sigSwitch2Local()
            }
        }

        Rectangle {
            width: parent.width
            height: 1
            color: Material.dividerColor
        }

        Row {
            id: host_row
            width: parent.width
            height: root.hei_single_line

            HostBtn {
                id: btn_1
                objectName: "host_btn_1"
                height: parent.height
                onToggled: {
                    if (checked)
                        root.sigSwitch2Ip(tooltip_str)
                }
                onSigDisconnect: m_connector.sigCloseConnection(tooltip_str)
            }

            Rectangle {
                id: btn_border
                objectName: "host_divider"
                width: 0
                height: parent.height
                visible: width !== 0
                color: Material.dividerColor
                Behavior on width {
                    NumberAnimation {
                        duration: 300
                    }
                }
                Behavior on height {
                    NumberAnimation {
                        duration: 300
                    }
                }
            }

            HostBtn {
                id: btn_2
                objectName: "host_btn_2"
                height: parent.height
                bg_color: btn_1.bg_color
                onToggled: {
                    if (checked)
                        root.sigSwitch2Ip(tooltip_str)
                }
                onSigDisconnect: m_connector.sigCloseConnection(tooltip_str)
            }
        }
    }
}
