import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import CTypes 1.0
import "qrc:/qml/details"
import "tst_details_fixtures.js" as Fx

// The text page: the selection of each item comes back, the plain-to-rich switch, and the
// passive preview.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: details_comp
        DetailsView {
            width: 480
            height: 300
        }
    }

    TestCase {
        id: t
        name: "DetailsText"
        when: windowShown

        function area(view) {
            return findChild(view, "text_area")
        }

        // Drags the mouse across the text from one character to another.
        function dragSelect(a, from, to) {
            const r1 = a.positionToRectangle(from)
            const r2 = a.positionToRectangle(to)
            mousePress(a, r1.x + 1, r1.y + r1.height / 2)
            mouseMove(a, (r1.x + r2.x) / 2, r2.y + r2.height / 2)
            mouseMove(a, r2.x + 1, r2.y + r2.height / 2)
            mouseRelease(a, r2.x + 1, r2.y + r2.height / 2)
        }

        function test_selection_and_cursor_come_back_data() {
            return [
                { tag: "forwards", from: 6, to: 16 },
                { tag: "backwards", from: 16, to: 6 }
            ]
        }

        function test_selection_and_cursor_come_back(data) {
            const a = Fx.captureText(t, "alpha bravo charlie delta echo " + data.tag)
            const b = Fx.captureText(t, "another item " + data.tag)
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            compare(Fx.pageName(t, view), "DetailsView4Text.qml")
            const first = area(view)
            dragSelect(first, data.from, data.to)
            compare(first.selectedText, "bravo char")
            compare(first.cursorPosition, data.to)

            view.load(m_model, Fx.row(b))
            compare(m_model.getSelection(Fx.row(a)), "6_16_" + data.to)
            compare(area(view).selectedText, "", "the other item has its own selection")

            view.load(m_model, Fx.row(a))
            const again = area(view)
            verify(again !== first)
            compare(again.selectionStart, 6)
            compare(again.selectionEnd, 16)
            compare(again.cursorPosition, data.to)
            compare(again.selectedText, "bravo char")
        }

        function test_no_selection_at_the_start_stores_nothing() {
            const a = Fx.captureText(t, "zero selection text")
            const b = Fx.captureText(t, "zero selection other")
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            dragSelect(area(view), 5, 14)
            view.load(m_model, Fx.row(b))
            compare(m_model.getSelection(Fx.row(a)), "5_14_14")

            // A click before the first character: start, end and cursor all 0.
            view.load(m_model, Fx.row(a))
            const r = area(view).positionToRectangle(0)
            mouseClick(area(view), r.x + 1, r.y + r.height / 2)
            compare(area(view).cursorPosition, 0)
            compare(area(view).selectedText, "")
            view.load(m_model, Fx.row(b))
            compare(m_model.getSelection(Fx.row(a)), "")
            // Never touched: nothing stored either.
            compare(m_model.getSelection(Fx.row(b)), "")
        }

        function test_closing_the_panel_keeps_the_selection() {
            const a = Fx.captureText(t, "kept when the panel goes away")
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            dragSelect(area(view), 10, 15)
            view.destroy()
            tryVerify(function () { return m_model.getSelection(Fx.row(a)) === "10_15_15" })
        }

        function test_stored_garbage_is_ignored() {
            const a = Fx.captureText(t, "garbage in the stored selection")
            const view = createTemporaryObject(details_comp, root)
            // The panel saves what it shows when it moves on: set the stored text after.
            for (const stored of ["1_2", "a_b_c", "-1_-1_-1", "1_2_3_4"]) {
                view.clear()
                m_model.updateSelection(a, stored)
                view.load(m_model, Fx.row(a))
                compare(area(view).selectedText, "", stored)
            }
            // Positions past the end select to the end.
            view.clear()
            m_model.updateSelection(a, "8_500_500")
            view.load(m_model, Fx.row(a))
            compare(area(view).selectedText, "in the stored selection")
        }

        function test_plain_text_turns_rich_and_back() {
            const html_like = "<b>bold</b> and <i>slanted</i> words"
            const a = Fx.captureText(t, html_like)
            compare(m_model.getType(Fx.row(a)), CTypes.Text)
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            dragSelect(area(view), 3, 7)
            compare(area(view).getText(0, 7), "<b>bold")

            m_utilities.sigDetailsTextPlain2Html(true)
            const page = Fx.page(t, view)
            compare(page.is_rich_text, true)
            compare(area(view).textFormat, TextEdit.RichText)
            compare(area(view).getText(0, area(view).length), "bold and slanted words")
            compare(area(view).selectedText, "")
            compare([page.selected_start, page.selected_end, page.cursor_pos], [0, 0, 0])

            m_utilities.sigDetailsTextPlain2Html(false)
            compare(area(view).textFormat, TextEdit.PlainText)
            compare(area(view).getText(0, area(view).length), html_like)
        }

        function test_rich_items_show_rendered() {
            const a = Fx.captureHtml(t, "<p>Some <b>rich</b> text</p>")
            compare(m_model.getType(Fx.row(a)), CTypes.Html)
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            compare(area(view).textFormat, TextEdit.RichText)
            verify(area(view).getText(0, area(view).length).indexOf("Some rich text") !== -1)
        }

        function test_wide_rich_content_scrolls_sideways() {
            const wide = "<pre>" + "0123456789 ".repeat(40) + "</pre><p>short</p>"
            const a = Fx.captureHtml(t, wide)
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            const flick = area(view).parent.parent
            verify(flick.contentWidth > flick.width, "wider than the panel")
            const bar = flick.ScrollBar.horizontal
            tryCompare(bar, "visible", true)
            bar.position = 1 - bar.size
            verify(flick.contentX > 0)

            const b = Fx.captureHtml(t, "<p>" + "narrow words wrap ".repeat(40) + "</p>")
            view.load(m_model, Fx.row(b))
            const narrow = area(view).parent.parent
            verify(narrow.contentWidth <= narrow.width)
            compare(narrow.ScrollBar.horizontal.visible, false)
        }

        // A long text shows its first 16 KiB, in the panel and in the title bar's checks;
        // the item itself stays whole for copies and pastes.
        function test_a_long_text_shows_a_bounded_preview() {
            const long_text = "0123456789abcdef".repeat(8 * 1024) // 128 Ki characters
            const md5 = Fx.captureText(t, long_text)
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(md5))
            // Laid out a first page at a time; scrolled towards its end, it takes the rest.
            compare(area(view).text, long_text.substring(0, 2 * 1024))
            const flick = area(view).parent.parent
            flick.contentY = Math.max(0, flick.contentHeight - flick.height)
            compare(area(view).text.length, 16 * 1024)
            compare(area(view).text, long_text.substring(0, 16 * 1024))
            compare(m_model.getVal(Fx.row(md5)).length, long_text.length)
            // Another long text starting alike shows its own first page, not the old rest.
            const other = long_text.substring(0, 8 * 1024) + "x".repeat(16 * 1024)
            const md5_other = Fx.captureText(t, other)
            view.load(m_model, Fx.row(md5_other))
            compare(area(view).text, other.substring(0, 2 * 1024))
        }

        // In a quick paste row words wrap whole and the last line that fits is elided:
        // no line shows cut through its middle.
        function test_passive_preview_wraps_words_and_ends_in_whole_lines() {
            const words = "wrapping " + "internationalisation ".repeat(30)
            const a = Fx.captureText(t, words)
            const view = createTemporaryObject(details_comp, root,
                                               { can_select: false, width: 200, height: 50 })
            view.load(m_model, Fx.row(a))
            const head = findChild(view, "text_head")
            tryVerify(function () { return head.truncated }, 2000, "elided")
            verify(head.contentHeight <= head.height + 0.5, head.contentHeight + " > " + head.height)
            compare(head.wrapMode, Text.WrapAtWordBoundaryOrAnywhere)
        }

        function test_passive_preview_shows_the_head_only() {
            const lines = []
            for (let i = 1; i <= 20; ++i)
                lines.push("line " + i)
            const a = Fx.captureText(t, lines.join("\n"))
            m_model.updateSelection(a, "2_4_4")
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(a))
            compare(area(view), null, "no text area in a preview")
            const head = findChild(view, "text_head")
            compare(head.text, lines.slice(0, 7).join("\n") + "\n")
            // Previews neither restore nor store selections, nor follow the rich switch.
            m_utilities.sigDetailsTextPlain2Html(true)
            compare(Fx.page(t, view).is_rich_text, false)
            view.clear()
            wait(0)
            compare(m_model.getSelection(Fx.row(a)), "2_4_4")
        }

        function test_passive_selectable_mode_follows_the_panel() {
            const a = Fx.captureText(t, "mode follows panel")
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(a))
            compare(Fx.page(t, view).is_selectable, false)
            view.can_select = true
            view.load(m_model, Fx.row(a))
            compare(Fx.page(t, view).is_selectable, true)
            verify(area(view) !== null)
        }

        // A search marks its matches in the panel without touching the text or the
        // selection, follows the key as it is typed, and marks a rich text's preview in
        // its plain words, never its markup.
        function test_search_marks_matches() {
            const a = Fx.captureText(t, "Needle one\nhay <b>needle</b> hay\nneedle")
            const view = createTemporaryObject(details_comp, root, { highlight_key: "needle" })
            view.load(m_model, Fx.row(a))
            const text_area = area(view)
            const marks = findChild(view, "text_marks")
            compare(text_area.text, "Needle one\nhay <b>needle</b> hay\nneedle")
            compare(marks.markedCount(), 3)
            dragSelect(text_area, 0, 6)
            view.highlight_key = "hay"
            compare(marks.markedCount(), 2)
            compare(text_area.selectedText, "Needle", "the selection stays")
            view.highlight_key = ""
            compare(marks.markedCount(), 0)

            const passive = createTemporaryObject(details_comp, root,
                                                  { can_select: false, highlight_key: "b" })
            passive.load(m_model, Fx.row(a))
            const head = findChild(passive, "text_head")
            compare(head.textFormat, Text.StyledText)
            verify(head.text.indexOf("&lt;" + "<b><font") > 0, head.text)
            passive.highlight_key = ""
            compare(head.textFormat, Text.PlainText)
            compare(head.text, "Needle one\nhay <b>needle</b> hay\nneedle\n")
        }
    }
}
