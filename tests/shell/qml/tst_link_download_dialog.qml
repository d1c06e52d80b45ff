import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import "qrc:/qml/datasync"

// The download dialog: preparing, the share and the speed while the bytes come, closing
// when the file is in place, and a failure that shows why and lets the dialog go. First
// with the connector's reports as a transfer gives them, then with a real download from a
// linked host in this process.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: dlg_comp
        DownloadingProgress {
            ip_addr: "10.0.0.20"
            file_name: "report.txt"
            saving_path: "/home/me/Desktop/report.txt"
        }
    }

    TestCase {
        id: t
        name: "LinkDownloadDialog"
        when: windowShown

        function openDialog(props) {
            const dlg = createTemporaryObject(dlg_comp, root, props || {})
            verify(dlg !== null)
            dlg.open()
            tryCompare(dlg, "opened", true)
            return dlg
        }
        function label(dlg) {
            return findChild(dlg, "dl_label")
        }
        function bar(dlg) {
            return findChild(dlg, "dl_bar")
        }

        function cleanupTestCase() {
            link_lab.removePeers()
        }

        function test_speed_units() {
            const dlg = createTemporaryObject(dlg_comp, root)
            compare(dlg.speedText(0), "0.00K/s")
            compare(dlg.speedText(1536), "1.50K/s")
            compare(dlg.speedText(1048575), "1024.00K/s")
            compare(dlg.speedText(1048576), "1.00M/s")
            compare(dlg.speedText(3 * 1048576 + 524288), "3.50M/s")
        }

        function test_progress_speed_and_arrival() {
            const dlg = openDialog()
            compare(label(dlg).text, "Preparing")
            verify(bar(dlg).indeterminate)

            // Another host's or another file's reports are not this dialog's.
            m_connector.sigFileDownloadProgress("report.txt", "10.0.0.21", 50, 1000)
            m_connector.sigFileDownloadProgress("other.txt", "10.0.0.20", 50, 1000)
            compare(dlg.phase, "prep")

            // A second in which exactly 1 MiB arrives reads in M/s.
            m_connector.sigFileDownloadProgress("report.txt", "10.0.0.20", 25, 524288)
            m_connector.sigFileDownloadProgress("report.txt", "10.0.0.20", 50, 524288)
            compare(dlg.phase, "dl")
            verify(!bar(dlg).indeterminate)
            compare(bar(dlg).value, 50)
            tryCompare(label(dlg), "text", "Downloading - 1.00M/s", 3000)
            // The next second, one byte less.
            m_connector.sigFileDownloadProgress("report.txt", "10.0.0.20", 99, 1048575)
            tryCompare(label(dlg), "text", "Downloading - 1024.00K/s", 3000)
            compare(bar(dlg).value, 99)

            // Escape does nothing while the file comes.
            keyClick(Qt.Key_Escape)
            verify(dlg.opened)
            m_connector.sigFileDownloaded("/home/me/Desktop/report.txt", "10.0.0.20")
            tryCompare(dlg, "opened", false)
            verify(dlg.is_downloaded)
        }

        // The user may save the file under another name: the reports then name that one.
        function test_saved_under_another_name() {
            const dlg = openDialog({ saving_path: "/home/me/from A.txt" })
            m_connector.sigFileDownloadProgress("from A.txt", "10.0.0.20", 100, 10)
            compare(dlg.phase, "dl")
            m_connector.sigFileDownloaded("/home/me/from A.txt", "10.0.0.20")
            tryCompare(dlg, "opened", false)
            verify(dlg.is_downloaded)
        }

        function test_failure_shows_why_and_lets_go() {
            const dlg = openDialog()
            m_connector.sigFileDownloadErr("/far/report.txt", "10.0.0.21", "not this one")
            compare(dlg.phase, "prep")
            m_connector.sigFileDownloadErr("/far/report.txt", "10.0.0.20", "File not found")
            compare(label(dlg).text, "File not found")
            verify(!bar(dlg).visible)
            // A longer reason wraps, and the dialog grows to show all of it.
            const why = "The remote host closed the connection before the whole file arrived."
            m_connector.sigFileDownloadErr("/far/report.txt", "10.0.0.20", why)
            compare(label(dlg).text, why)
            verify(label(dlg).lineCount > 1)
            tryVerify(function () {
                return dlg.contentItem.height >= label(dlg).contentHeight
            }, 2000, "nothing cut off")
            verify(link_lab.saveShot(dlg.background, "link-download-failed"))
            m_connector.sigFileDownloadErr("/far/report.txt", "10.0.0.20", "File not found")
            // A late report changes nothing.
            m_connector.sigFileDownloadProgress("report.txt", "10.0.0.20", 50, 1000)
            compare(label(dlg).text, "File not found")
            keyClick(Qt.Key_Escape)
            tryCompare(dlg, "opened", false)
            verify(!dlg.is_downloaded)
        }

        function test_a_host_that_never_answers() {
            const dlg = openDialog({ answer_timeout_ms: 300 })
            tryCompare(label(dlg), "text", "The host did not answer.", 3000)
            verify(!bar(dlg).visible)
            mouseClick(root, root.width - 5, root.height - 5) // outside the dialog
            tryCompare(dlg, "opened", false)
        }

        function test_real_download_from_a_linked_host() {
            const peer = link_lab.addPeer("")
            const remote = link_lab.shareFile(peer, "big report.bin", 6 * 1024 * 1024)
            m_connector.connect2Server("127.0.0.1", "", link_lab.peerPort(peer))
            tryVerify(function () {
                return m_connector.getHostsCount() === 1 && m_connector.isInit(0)
            }, 30000, "linked")
            const save = link_lab.tempPath("saved copy.bin")
            const dlg = openDialog({ ip_addr: "127.0.0.1", file_name: "big report.bin",
                                     saving_path: save })
            m_connector.downloadFile("127.0.0.1", remote, save)
            tryCompare(dlg, "opened", false, 30000)
            verify(dlg.is_downloaded)
            compare(bar(dlg).value, 100)
            compare(link_lab.fileBytesHash(save), link_lab.fileBytesHash(remote))
            m_connector.sigCloseConnection("127.0.0.1")
            tryVerify(function () { return m_connector.getHostsCount() === 0 }, 10000)
        }
    }
}
