import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import CTypes 1.0
import "qrc:/qml/details"
import "qrc:/qml/FontVars.js" as FV
import "tst_details_fixtures.js" as Fx

// The file list: icons, the remembered selection of a path, and the row buttons of local
// and remote lists.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: details_comp
        DetailsView {
            width: 420
            height: 300
        }
    }

    Rectangle {
        id: swatch
        width: 8
        height: 8
        color: "green"
    }

    SignalSpy {
        id: download_spy
        target: m_utilities
        signalName: "sigDownloadFile"
    }

    TestCase {
        id: t
        name: "DetailsUrls"
        when: windowShown

        // A path long enough to scroll in its field.
        readonly property string long_name: "a rather long file name that does not fit in the"
                                            + " field of the details panel at all"
        property string file_md5: ""
        property string file_path: ""
        property string history_md5: ""
        property string other_md5: ""

        function initTestCase() {
            file_path = Fx.savePicture(t, swatch, long_name)
            file_md5 = Fx.captureText(t, file_path)
            compare(m_model.getType(Fx.row(file_md5)), CTypes.Urls)
            // The history file of the Clipboard list itself, copied as a file.
            m_model.saveCurData()
            history_md5 = Fx.captureText(t, Fx.fixtureDir() + "history")
            compare(m_model.getType(Fx.row(history_md5)), CTypes.Urls)
            other_md5 = Fx.captureText(t, "not a file")
        }

        function cleanup() {
            m_model.setLocal(true)
            m_model.setIp("")
            download_spy.clear()
        }

        function field(view, r) {
            return findChild(view, "url_field_" + r)
        }

        function test_rows_show_paths_and_icons() {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(file_md5))
            compare(Fx.pageName(t, view), "DetailsView4UrlsLocal.qml")
            const page = Fx.page(t, view)
            compare(page.model_urls.count, 1)
            const entry = page.model_urls.get(0)
            compare(entry.exist, true)
            compare(entry.is_selected_row, false)
            compare([entry.pos_1, entry.pos_2, entry.cur, entry.pos_start], [-1, -1, -1, -1])
            tryVerify(function () { return field(view, 0) !== null })
            compare(field(view, 0).text, file_path)
            const icon = findChild(view, "url_icon_0")
            compare(icon.source.toString().indexOf("image://img/file://"), 0)
            tryCompare(icon, "status", Image.Ready)
            compare(icon.sourceSize, Qt.size(32, 32))

            // Too long for the row: shown with its end and an ellipsis before it, the whole
            // path in the field once the user works in it.
            const shown = findChild(view, "url_shown_0")
            verify(shown.visible && shown.truncated)
            compare(shown.elide, Text.ElideLeft)
            compare(field(view, 0).color, Qt.rgba(0, 0, 0, 0))
            mouseMove(field(view, 0), 30, 10)
            tryCompare(field(view, 0).ToolTip, "visible", true)
            compare(field(view, 0).ToolTip.text, file_path)
            mouseClick(field(view, 0), 10, 10)
            verify(!shown.visible)
            verify(field(view, 0).color.a > 0.5)
        }

        function test_selection_with_five_fields_comes_back_data() {
            return [{ tag: "forwards", backwards: false }, { tag: "backwards", backwards: true }]
        }

        function test_selection_with_five_fields_comes_back(data) {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(file_md5))
            tryVerify(function () { return field(view, 0) !== null })
            let f = field(view, 0)
            // Scroll to the end of the path, then select its last word with the mouse.
            f.cursorPosition = f.length
            const a = f.positionToRectangle(f.length - 7)
            const b = f.positionToRectangle(f.length - 4)
            const y = f.height / 2
            if (data.backwards) {
                mousePress(f, b.x + 1, y)
                mouseMove(f, a.x + 1, y)
                mouseRelease(f, a.x + 1, y)
            } else {
                mousePress(f, a.x + 1, y)
                mouseMove(f, b.x + 1, y)
                mouseRelease(f, b.x + 1, y)
            }
            compare(f.selectedText, "all")
            const start = f.positionAt(0, 0)
            verify(start > 0, "scrolled")
            const cursor = f.cursorPosition

            view.load(m_model, Fx.row(other_md5))
            const stored = m_model.getSelection(Fx.row(file_md5))
            compare(stored, ["0", f.length - 7, f.length - 4, cursor, start].join("_"))

            view.load(m_model, Fx.row(file_md5))
            tryVerify(function () { return field(view, 0) !== null })
            f = field(view, 0)
            compare(f.selectedText, "all")
            compare(f.cursorPosition, cursor)
            verify(Math.abs(f.positionAt(0, 0) - start) <= 1, "scrolled back")
            const entry = Fx.page(t, view).model_urls.get(0)
            compare(entry.is_selected_row, true)

            // Clicking without selecting gives the selection up.
            mouseClick(f, 5, y)
            compare(f.selectedText, "")
            view.clear()
            compare(m_model.getSelection(Fx.row(file_md5)), "")
        }

        function test_one_row_holds_the_selection() {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(file_md5))
            const page = Fx.page(t, view)
            const url = "file://" + file_path
            page.urls = [url, "https://example.org/index.html", url]
            compare(page.model_urls.count, 3)
            compare(page.model_urls.get(1).exist, true, "web addresses count as present")
            tryVerify(function () { return field(view, 2) !== null })
            compare(findChild(view, "url_icon_1").source.toString(), "", "no icon for the web")

            const y = field(view, 2).height / 2
            mousePress(field(view, 2), 2, y)
            mouseMove(field(view, 2), 60, y)
            mouseRelease(field(view, 2), 60, y)
            verify(field(view, 2).selectedText !== "")
            compare(page.model_urls.get(2).is_selected_row, true)

            mousePress(field(view, 1), 2, y)
            mouseMove(field(view, 1), 50, y)
            mouseRelease(field(view, 1), 50, y)
            verify(field(view, 1).selectedText !== "")
            compare(field(view, 2).selectedText, "", "the earlier row gave its selection up")
            const before = page.model_urls.get(2)
            compare([before.is_selected_row, before.pos_1, before.pos_2, before.cur,
                     before.pos_start], [false, -1, -1, -1, -1])
            view.clear()
            compare(m_model.getSelection(Fx.row(file_md5)).split("_")[0], "1")
        }

        function test_stored_selections_that_do_not_fit_are_ignored() {
            const view = createTemporaryObject(details_comp, root)
            for (const stored of ["1_2_3_4_5", "0_1_2_3", "x_1_2_3_4", "0_1_2_3_4_5"]) {
                view.clear()
                m_model.updateSelection(file_md5, stored)
                view.load(m_model, Fx.row(file_md5))
                compare(Fx.page(t, view).model_urls.get(0).is_selected_row, false, stored)
            }
        }

        function test_remote_history_never_offers_a_download() {
            m_model.setLocal(false)
            m_model.setIp("10.0.0.7")
            const view = createTemporaryObject(details_comp, root)

            view.load(m_model, Fx.row(history_md5))
            tryVerify(function () { return field(view, 0) !== null })
            mouseClick(field(view, 0), 10, 10)
            verify(field(view, 0).activeFocus)
            compare(findChild(view, "url_btn_0").visible, false)

            view.load(m_model, Fx.row(file_md5))
            tryVerify(function () { return field(view, 0) !== null })
            const btn = findChild(view, "url_btn_0")
            compare(btn.visible, true, "offered before any click into the path")
            compare(btn.text, FV.Download)
            mouseClick(btn)
            compare(download_spy.count, 1)
            compare(download_spy.signalArguments[0][0], "10.0.0.7")
            compare(download_spy.signalArguments[0][1], file_path)

            // Remote lists keep no selections.
            m_model.updateSelection(file_md5, "")
            field(view, 0).select(0, 4)
            view.clear()
            compare(m_model.getSelection(Fx.row(file_md5)), "")
        }

        function test_local_rows_offer_the_previewer_only_when_there_is_one() {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(file_md5))
            tryVerify(function () { return field(view, 0) !== null })
            mouseClick(field(view, 0), 10, 10)
            const btn = findChild(view, "url_btn_0")
            compare(btn.text, FV.Eye)
            compare(btn.visible, m_const.peekora_path !== "")
        }

        function test_passive_preview_shows_chips() {
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(file_md5))
            compare(findChild(view, "url_list"), null)
            const chips = findChild(view, "url_chips")
            compare(chips.count, 1)
            compare(chips.interactive, false)
            compare(chips.currentItem.path, Fx.page(t, view).model_urls.get(0).path)
            compare(findChild(view, "url_more").visible, false)
        }

        // In a row too low for all of them, the chips that do not fit are counted.
        function test_chips_that_do_not_fit_are_counted() {
            const view = createTemporaryObject(details_comp, root,
                                               { can_select: false, height: 30 })
            view.load(m_model, Fx.row(file_md5))
            const long_name = "/home/user/Documents/a-rather-long-folder-name/report-"
            Fx.page(t, view).urls = [long_name + "one.odt", long_name + "two.odt",
                                     long_name + "three.odt"]
            const more = findChild(view, "url_more")
            tryCompare(more, "visible", true)
            compare(more.text, "+2")
        }
    }
}
