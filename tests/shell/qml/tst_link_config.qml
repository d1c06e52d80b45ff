import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import "qrc:/qml/datasync"

// The connection dialog over the real connector: which addresses it accepts, when the
// connect button works, the copy of this computer's address, and the dialog's states from
// the form to an attempt and its failure.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: remote_comp
        ConfigRemote {
            width: 300
            height: 120
        }
    }

    Component {
        id: local_comp
        ConfigLocal {
            width: 300
            height: 120
        }
    }

    Component {
        id: config_comp
        Config {
            width: 300
            height: 205
        }
    }

    SignalSpy {
        id: toast_spy
        target: m_utilities
        signalName: "sigShowToast4Main"
    }

    SignalSpy {
        id: result_spy
        target: m_connector
        signalName: "sigConnectResult"
    }

    TestCase {
        id: t
        name: "LinkConfig"
        when: windowShown

        function init() {
            toast_spy.clear()
            result_spy.clear()
            m_ini.setIni(m_ini.connect_ip(), "")
            m_ini.setIni(m_ini.connect_local_pwd(), "")
        }

        function cleanupTestCase() {
            link_lab.stopSilentListener()
        }

        function makeRemote() {
            const cr = createTemporaryObject(remote_comp, root)
            verify(cr !== null)
            return cr
        }

        function test_ip_pattern_data() {
            return [
                { tag: "any address", ip: "0.0.0.0", ok: false },
                { tag: "loopback", ip: "127.0.0.1", ok: false },
                { tag: "private address", ip: "192.168.1.10", ok: true },
                { tag: "part above 255", ip: "256.1.1.1", ok: false },
                { tag: "other loopback", ip: "127.0.0.2", ok: true },
                { tag: "three parts", ip: "10.0.0", ok: false },
                { tag: "five parts", ip: "1.2.3.4.5", ok: false },
                { tag: "largest", ip: "255.255.255.255", ok: true },
                { tag: "name", ip: "host.lan", ok: false },
                { tag: "empty", ip: "", ok: false }
            ]
        }

        function test_ip_pattern(data) {
            const cr = makeRemote()
            const field = findChild(cr, "input_ip")
            field.text = data.ip
            compare(field.acceptableInput, data.ok)
            compare(findChild(cr, "btn_connect").enabled, data.ok, "connect button")
            compare(cr.ip_addr, data.ok ? data.ip : "")
        }

        // Typed as a user types: a fourth digit that cannot be part of an address is
        // refused, the others are taken.
        function test_typing_an_address() {
            const cr = makeRemote()
            const field = findChild(cr, "input_ip")
            const btn = findChild(cr, "btn_connect")
            field.forceActiveFocus()
            for (const ch of "192.168.1.1")
                keyClick(ch)
            verify(btn.enabled)
            keyClick("0")
            compare(field.text, "192.168.1.10")
            verify(btn.enabled)
            field.text = ""
            verify(!btn.enabled, "an empty field cannot connect")
            for (const ch of "256")
                keyClick(ch)
            compare(field.text, "25", "no address part starts with 256")
            verify(!btn.enabled)
        }

        function test_connect_asks_on_the_fixed_port() {
            const cr = makeRemote()
            const spy = createTemporaryObject(spy_comp, root,
                                              { target: cr, signalName: "sigDoConnect" })
            findChild(cr, "input_ip").text = "192.168.1.10"
            findChild(cr, "input_pwd").text = "pass word"
            mouseClick(findChild(cr, "btn_connect"))
            compare(spy.count, 1)
            compare(spy.signalArguments[0][0], "192.168.1.10")
            compare(spy.signalArguments[0][1], "pass word")
            compare(spy.signalArguments[0][2], 8121)
            // Enter in the address field connects too.
            findChild(cr, "input_ip").forceActiveFocus()
            keyClick(Qt.Key_Return)
            compare(spy.count, 2)
            // And in the password field, typed last.
            findChild(cr, "input_pwd").forceActiveFocus()
            keyClick(Qt.Key_Enter)
            compare(spy.count, 3)
            // Not while the address cannot be used.
            findChild(cr, "input_ip").text = "127.0.0.1"
            findChild(cr, "input_pwd").forceActiveFocus()
            keyClick(Qt.Key_Return)
            compare(spy.count, 3)
        }

        function test_refused_address_shows_the_reason() {
            const local_ip = m_connector.getLocalIP()
            const cr = makeRemote()
            const field = findChild(cr, "input_ip")
            field.text = local_ip
            if (!field.acceptableInput)
                skip("this machine reports no IPv4 address: " + local_ip)
            const spy = createTemporaryObject(spy_comp, root,
                                              { target: cr, signalName: "sigDoConnect" })
            mouseClick(findChild(cr, "btn_connect"))
            compare(spy.count, 0, "no attempt to link to this computer")
            compare(toast_spy.count, 1)
            compare(toast_spy.signalArguments[0][0], "Can not connect to localhost.")
        }

        function test_copy_of_the_local_address() {
            const cl = createTemporaryObject(local_comp, root)
            const ip = findChild(cl, "local_ip").text
            compare(ip, m_connector.getLocalIP())
            mouseClick(findChild(cl, "btn_copy_ip"))
            const without = "IP address:  " + ip + "\n"
            tryVerify(function () { return link_lab.clipboardText() === without }, 3000,
                      "the address line, ended by a newline")
            findChild(cl, "local_pwd").text = "s3cret"
            mouseClick(findChild(cl, "btn_copy_ip"))
            const with_pwd = without + "Password:  s3cret"
            tryVerify(function () { return link_lab.clipboardText() === with_pwd }, 3000,
                      "and the password line")
            compare(link_lab.clipboardData("x-kde-passwordManagerHint"), "secret",
                    "marked so that no clipboard history keeps it")
            // The eye shows the password as typed.
            const field = findChild(cl, "local_pwd")
            compare(field.echoMode, TextInput.Password)
            mouseClick(findChild(cl, "btn_pwd_visible"))
            compare(field.echoMode, TextInput.Normal)
        }

        function test_the_dialog_from_form_to_failure() {
            const address = "127.0.0.2"
            const port = link_lab.silentListenerPort()
            verify(port !== 0, "a listener that never answers")
            m_ini.setIni(m_ini.connect_ip(), "192.168.7.7")
            const dlg = createTemporaryObject(config_comp, root)
            dlg.open()
            tryCompare(dlg, "opened", true)
            const tabs = findChild(dlg, "config_tabs")
            const cr = findChild(dlg, "config_remote")
            compare(cr.link_port, 8121)
            cr.link_port = port
            const button = dlg.standardButton(Dialog.Apply)
            compare(button.text, "OK")
            compare(findChild(cr, "input_ip").text, "192.168.7.7", "the last address")

            // An empty password is the user's own choice, with a warning under the field.
            const warning = findChild(dlg, "local_pwd_warning")
            verify(warning.visible)
            findChild(dlg, "local_pwd").text = "local secret"
            verify(!warning.visible)

            // Leaving the Local tab keeps the password the user typed there.
            mouseClick(findChild(dlg, "tab_connect"))
            compare(tabs.currentIndex, 1)
            compare(m_ini.getIni(m_ini.connect_local_pwd()), "local secret")
            compare(m_ini.getIni(m_ini.connect_local_pwd_open()), false)

            // A listener that accepts and never answers: the attempt runs until cancelled.
            findChild(cr, "input_ip").text = address
            mouseClick(findChild(cr, "btn_connect"))
            verify(dlg.isConnecting())
            compare(cr.currentIndex, 1)
            verify(!tabs.visible)
            compare(button.text, "Cancel")
            mouseClick(button)
            compare(cr.currentIndex, 0)
            verify(tabs.visible)
            compare(button.text, "OK")
            tryCompare(result_spy, "count", 1)
            compare(result_spy.signalArguments[0][1], "Connection canceled.")
            verify(dlg.opened, "cancelling keeps the dialog")

            // Again, until the connector gives up: the failure page says why.
            mouseClick(findChild(cr, "btn_connect"))
            compare(cr.currentIndex, 1)
            tryCompare(cr, "currentIndex", 2, 20000)
            compare(findChild(cr, "failure_text").text, "Connection timed out.")
            verify(!tabs.visible)
            compare(button.text, "Cancel")
            mouseClick(button)
            compare(cr.currentIndex, 0)
            verify(dlg.opened)

            // OK closes; what the dialog holds is kept.
            mouseClick(button)
            tryCompare(dlg, "opened", false)
            dlg.saveSettings()
            compare(m_ini.getIni(m_ini.connect_ip()), address)
        }

        // Escape closes the dialog, from the form and during an attempt, which it ends.
        function test_escape_closes_and_ends_an_attempt() {
            const port = link_lab.silentListenerPort()
            for (const connecting of [false, true]) {
                const dlg = createTemporaryObject(config_comp, root)
                dlg.open()
                tryCompare(dlg, "opened", true)
                if (connecting) {
                    const cr = findChild(dlg, "config_remote")
                    mouseClick(findChild(dlg, "tab_connect"))
                    cr.link_port = port
                    findChild(cr, "input_ip").text = "127.0.0.2"
                    mouseClick(findChild(cr, "btn_connect"))
                    verify(dlg.isConnecting())
                }
                keyClick(Qt.Key_Escape)
                tryCompare(dlg, "opened", false)
                if (connecting) {
                    tryCompare(result_spy, "count", 1)
                    compare(result_spy.signalArguments[0][1], "Connection canceled.")
                }
            }
        }

        // A host that already holds two links turns a third away: the failure page says
        // so, and no host is left behind.
        function test_a_full_host_shows_why() {
            const full = link_lab.addPeer("")
            verify(link_lab.fillPeer(full), "the host holds two links")
            const dlg = createTemporaryObject(config_comp, root)
            dlg.open()
            tryCompare(dlg, "opened", true)
            const cr = findChild(dlg, "config_remote")
            mouseClick(findChild(dlg, "tab_connect"))
            cr.link_port = link_lab.peerPort(full)
            findChild(cr, "input_ip").text = "127.0.0.2"
            mouseClick(findChild(cr, "btn_connect"))
            verify(dlg.isConnecting())
            tryCompare(cr, "currentIndex", 2, 20000)
            compare(findChild(cr, "failure_text").text,
                    "The server can only support two clients.")
            compare(findChild(cr, "failure_title").text, "Could not connect")
            compare(dlg.standardButton(Dialog.Apply).text, "Cancel")
            // Enter on the page tries again, with the same address and password.
            const retry = findChild(cr, "btn_retry")
            verify(retry.activeFocus)
            keyClick(Qt.Key_Return)
            compare(cr.currentIndex, 1)
            tryCompare(cr, "currentIndex", 2, 20000)
            compare(findChild(cr, "failure_text").text,
                    "The server can only support two clients.")
            tryVerify(function () { return m_connector.getHostsCount() === 0 }, 10000)
            link_lab.removePeers()
        }
    }

    Component {
        id: spy_comp
        SignalSpy {}
    }
}
