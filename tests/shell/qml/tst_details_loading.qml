import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import CTypes 1.0
import "qrc:/qml/details"
import "tst_details_fixtures.js" as Fx

// A remote image on its way: the panel asks the connector for it and follows the
// transfer's progress, failure and arrival.
Item {
    id: root
    width: 500
    height: 400

    // Emits what the connector emits for a transfer; records what the panel asks of it.
    // Visible to the panels created here under the connector's context name.
    QtObject {
        id: m_connector
        property var requests: []
        signal sigFileDownloadProgress(string file_name, string ip, int rate, var readSize)
        signal sigFileDownloadErr(string file_path, string ip, string why)
        signal sigFileDownloaded(string file_path, string ip)
        function downloadImg(ip, md5) {
            requests.push(ip + " " + md5)
        }
    }

    Component {
        id: details_comp
        DetailsView {
            width: 480
            height: 300
        }
    }

    Rectangle {
        id: picture
        width: 60
        height: 40
        color: "orange"
    }

    TestCase {
        id: t
        name: "DetailsLoading"
        when: windowShown

        readonly property string ip: "10.0.0.9"
        property string md5: ""
        property string text_md5: ""

        function initTestCase() {
            text_md5 = Fx.captureText(t, "a text between the images")
            md5 = Fx.captureImage(t, picture, "remote_picture")
            m_model.setLocal(false)
            m_model.setIp(ip)
            verify(!m_model.isImgExists(md5))
        }

        function init() {
            m_connector.requests = []
        }

        function remotePath() {
            return m_utilities.decodeLocalFileUrl(m_model.getImgUrl(md5))
        }

        function bar(view) {
            return findChild(view, "loading_bar")
        }

        function loadingView() {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(md5))
            compare(Fx.pageName(t, view), "DetailsViewLoading.qml")
            compare(m_connector.requests, [ip + " " + md5])
            return view
        }

        function test_progress_and_failure() {
            const view = loadingView()
            compare(bar(view).indeterminate, true)
            compare(bar(view).from, 0)
            compare(bar(view).to, 100)

            // Reports for another image or another host are not for this page.
            m_connector.sigFileDownloadProgress("0123.png", ip, 50, 10)
            m_connector.sigFileDownloadProgress(md5 + ".png", "10.0.0.10", 50, 10)
            compare(bar(view).indeterminate, true)

            m_connector.sigFileDownloadProgress(md5 + ".png", ip, 0, 0)
            compare(bar(view).indeterminate, false)
            compare(bar(view).value, 0)
            m_connector.sigFileDownloadProgress(md5 + ".png", ip, 40, 1234)
            compare(bar(view).value, 40)

            m_connector.sigFileDownloadErr("/far/away/" + md5 + ".png", "10.0.0.10", "other")
            compare(findChild(view, "loading_err").visible, false)
            m_connector.sigFileDownloadErr("/far/away/" + md5 + ".png", ip, "File not found")
            compare(bar(view).visible, false)
            const err = findChild(view, "loading_err")
            compare(err.visible, true)
            compare(err.text, "File not found")
            compare(err.font.pixelSize, 18)
        }

        function test_arrival_shows_the_image() {
            const view = loadingView()
            // Meanwhile the host's history was reloaded: the item moved down a row.
            Fx.captureText(t, "captured while waiting")
            grabImage(picture).save(remotePath())
            m_connector.sigFileDownloaded(remotePath(), "10.0.0.10")
            compare(Fx.pageName(t, view), "DetailsViewLoading.qml")

            m_connector.sigFileDownloaded(remotePath(), ip)
            compare(Fx.pageName(t, view), "DetailsView4Img.qml")
            const page = Fx.page(t, view)
            compare(page.md5, md5)
            compare(page.index, Fx.row(md5))
            compare(page.source, m_model.getPreviewUrl(md5))
            tryCompare(findChild(view, "details_img"), "status", Image.Ready)
            compare(m_connector.requests.length, 1, "not asked again")
        }

        function cleanup() {
            // Each test starts with the image not yet fetched.
            if (m_model.isImgExists(md5))
                m_utilities.moveDownloadedFile(ip, md5 + ".png", Fx.fixtureDir() + "moved"
                                               + Date.now() + ".png")
        }

        function test_arrival_after_the_panel_moved_on_changes_nothing() {
            const view = loadingView()
            view.load(m_model, Fx.row(text_md5))
            grabImage(picture).save(remotePath())
            m_connector.sigFileDownloaded(remotePath(), ip)
            compare(Fx.pageName(t, view), "DetailsView4Text.qml")

            m_utilities.moveDownloadedFile(ip, md5 + ".png", Fx.fixtureDir() + "away.png")
            view.load(m_model, Fx.row(md5))
            view.clear()
            m_connector.sigFileDownloaded(remotePath(), ip)
            compare(Fx.pageName(t, view), "DetailsView4Blank.qml")
        }

        function test_previews_do_not_follow_transfers() {
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(md5))
            compare(Fx.pageName(t, view), "DetailsViewLoading.qml")
            m_connector.sigFileDownloadProgress(md5 + ".png", ip, 70, 10)
            compare(bar(view).indeterminate, true)
        }
    }
}
