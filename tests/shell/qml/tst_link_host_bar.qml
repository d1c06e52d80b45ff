import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtTest 1.12
import "qrc:/qml/datasync"
import "qrc:/qml/FontVars.js" as FV

// The host bar over the real connector, linked to other hosts in this process: hidden
// without hosts, one button across the row with one host, two halves with two; choosing a
// button, transfer glyphs and dropping a link from its button.
Item {
    id: root
    width: 400
    height: 300

    // The window's face, in the theme's own background.
    Pane {
        id: face
        width: 350
        height: 100
        padding: 0

        HostsContainer {
            id: bar
            width: parent.width
            anchors.bottom: parent.bottom
        }
    }

    // As the main window does.
    Connections {
        target: m_connector
        function onSigUpdateConnection() {
            bar.updateHostsNav()
        }
    }

    SignalSpy {
        id: to_ip
        target: bar
        signalName: "sigSwitch2Ip"
    }
    SignalSpy {
        id: to_local
        target: bar
        signalName: "sigSwitch2Local"
    }

    TestCase {
        id: t
        name: "LinkHostBar"
        when: windowShown

        property var peers: []

        function linkTo(address, peer, pwd) {
            const before = m_connector.getHostsCount()
            m_connector.connect2Server(address, pwd, link_lab.peerPort(peer))
            tryVerify(function () {
                return m_connector.getHostsCount() === before + 1 && m_connector.isInit(before)
            }, 30000, "linked to " + address)
        }

        function btn(name) {
            return findChild(bar, name)
        }

        function shoot(name) {
            for (const theme of ["light", "dark"]) {
                face.Material.theme = theme === "dark" ? Material.Dark : Material.Light
                wait(400)
                verify(link_lab.saveShot(face, name + "-" + theme))
            }
            face.Material.theme = Material.Light
        }

        function cleanupTestCase() {
            link_lab.removePeers()
        }

        function test_zero_one_and_two_hosts() {
            bar.updateHostsNav()
            compare(bar.height, 0)
            verify(!bar.visible)

            const first = link_lab.addPeer("first pass")
            const second = link_lab.addPeer("", true)
            linkTo("127.0.0.1", first, "first pass")
            tryCompare(bar, "height", 76)
            verify(bar.visible)
            const local = btn("host_local")
            const b1 = btn("host_btn_1")
            const b2 = btn("host_btn_2")
            compare(local.text, m_connector.getLocalName())
            verify(local.checked, "the bar starts on this computer")
            compare(b1.text, m_connector.getHostsName(0))
            compare(b1.tooltip_str, "127.0.0.1")
            compare(b1.icon_text, FV.OS_Win, "linked hosts report a Windows-like system")
            verify(b1.is_ready)
            tryCompare(b1, "width", bar.width)
            compare(b2.width, 0)
            verify(!b2.visible)
            verify(!btn("host_divider").visible)
            // That peer speaks only clear text: an open padlock and the tooltip say so.
            verify(b1.is_plain)
            verify(findChild(b1, "host_padlock").visible)
            verify(b1.ToolTip.text.indexOf("Unencrypted link") >= 0, b1.ToolTip.text)

            linkTo("127.0.0.2", second, "")
            tryCompare(b2, "width", (bar.width - 1) / 2)
            tryCompare(b1, "width", bar.width - 1 - (bar.width - 1) / 2)
            tryCompare(btn("host_divider"), "width", 1)
            compare(bar.height, 76)
            compare(b2.tooltip_str, "127.0.0.2")
            compare(b2.text, m_connector.getHostsName(1))
            // The second link is encrypted: no padlock, the verification code in the tooltip.
            verify(m_connector.isEncrypted(1))
            verify(!b2.is_plain)
            verify(!findChild(b2, "host_padlock").visible)
            verify(!findChild(local, "host_padlock").visible)
            compare(m_connector.getHostsCode(1).length, 7)
            verify(b2.ToolTip.text.indexOf("verification code " + m_connector.getHostsCode(1)) >= 0,
                   b2.ToolTip.text)
            shoot("host-bar-two-hosts")

            // Choosing a host asks for its list; this computer's button for the local one.
            mouseClick(b2, b2.width / 4, b2.height / 2)
            compare(to_ip.count, 1)
            compare(to_ip.signalArguments[0][0], "127.0.0.2")
            verify(b2.checked)
            verify(!local.checked)
            mouseClick(local)
            compare(to_local.count, 1)
            bar.updateCurHostBtn(1)
            verify(b1.checked)
            compare(to_ip.count, 1, "selecting from the program asks nothing")

            // A transfer shows on its host's button while it runs; the history does not.
            bar.updateFileTransferState(false, true, "127.0.0.2", "/far/away/report.txt")
            compare(b2.icon_text, FV.Cloud_Download)
            compare(b1.icon_text, FV.OS_Win)
            bar.updateFileTransferState(false, false, "127.0.0.2", "/far/away/report.txt")
            compare(b2.icon_text, FV.OS_Win)
            bar.updateFileTransferState(true, true, "127.0.0.1", "/tmp/Tolvane/history")
            compare(b1.icon_text, FV.OS_Win)
            bar.updateFileTransferState(true, true, "127.0.0.1", "/home/a/b.png")
            compare(b1.icon_text, FV.Cloud_Sending)
            bar.updateFileTransferState(true, false, "127.0.0.1", "/home/a/b.png")

            // The close button shows on a hovered host and drops that link.
            mouseMove(b2, b2.width / 4, b2.height / 2)
            const close2 = findChild(b2, "host_close")
            tryVerify(function () { return close2.visible }, 2000)
            verify(!findChild(b1, "host_close").visible)
            verify(!findChild(local, "host_close").visible, "this computer has none")
            mouseMove(close2, close2.width / 2, close2.height / 2)
            tryCompare(b2, "tooltip_str_pre", "Disconnect ")
            mouseClick(close2)
            tryVerify(function () { return m_connector.getHostsCount() === 1 }, 10000)
            compare(m_connector.getHostsIP(0), "127.0.0.1")
            tryCompare(b2, "width", 0)
            tryCompare(b1, "width", bar.width)
            verify(!btn("host_divider").visible)

            mouseMove(b1, b1.width / 4, b1.height / 2)
            const close1 = findChild(b1, "host_close")
            tryVerify(function () { return close1.visible }, 2000)
            mouseClick(close1)
            tryVerify(function () { return m_connector.getHostsCount() === 0 }, 10000)
            tryCompare(bar, "height", 0)
            verify(!bar.visible)
            verify(local.checked)
            compare(b1.icon_text, "", "glyphs go with the hosts")
        }

        // A host's name is its own text: never read as markup.
        function test_host_name_is_plain_text() {
            const b = btn("host_btn_1")
            const label = findChild(b, "host_name")
            b.text = "<b>bold</b> &amp;"
            compare(label.text, "<b>bold</b> &amp;")
            verify(label.contentWidth > 0)
            compare(label.textFormat, Text.PlainText)
        }
    }
}
