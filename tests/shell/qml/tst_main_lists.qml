import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import "qrc:/qml/mainview"

// The main window's item lists over the real Clipboard and Pin lists: paging, filtering by
// shrinking rows, the row buttons' rules and the favourite limit.
Item {
    id: root
    width: 400
    height: 600

    Component {
        id: list_comp
        MainListLocal {
            width: 350
            height: 300
        }
    }

    SignalSpy {
        id: toast_spy
        target: m_utilities
        signalName: "sigShowToast4Main"
    }

    TestCase {
        name: "MainLists"
        when: windowShown

        // Rows come in as a user's copies do: through the clipboard and the capture.
        function capture(texts) {
            for (let i = 0; i < texts.length; ++i) {
                const before = m_model.rowCount()
                m_utilities.copyPlainText(texts[i])
                tryVerify(function () { return m_model.rowCount() === before + 1 }, 3000,
                          "captured " + texts[i])
            }
        }
        function rowNames(n) {
            const names = []
            for (let i = n - 1; i >= 0; --i)
                names.push("row " + i)
            return names // captured last first, so "row 0" ends on top
        }
        function makeList(model) {
            const list = createTemporaryObject(list_comp, root, { model: model })
            verify(list !== null)
            return list
        }
        function row(list, i) {
            list.positionViewAtIndex(i, ListView.Contain)
            const loader = list.itemAtIndex(i)
            verify(loader !== null, "row " + i)
            tryVerify(function () { return loader.item !== null }, 2000, "content of row " + i)
            return loader.item
        }
        function hover(list, i) {
            const delegate = row(list, i)
            mouseMove(delegate, delegate.width / 3, delegate.height / 2)
            tryVerify(function () { return delegate.hovered }, 2000, "hovering row " + i)
            // Buttons that appeared with the hover are placed before the next frame.
            waitForItemPolished(delegate.row_btns)
            return delegate
        }

        function init() {
            m_model_pin.resetModelData()
            m_model.filterText("")
            m_model.resetModelData()
            toast_spy.clear()
        }

        function test_paging_uses_whole_rows_of_the_list_height() {
            capture(rowNames(20))
            const list = makeList(m_model)
            list.currentIndex = 0
            list.move2NextPage()
            compare(list.currentIndex, 6, "300 / 48 gives pages of 6 rows")
            list.height = 250
            list.move2NextPage()
            compare(list.currentIndex, 11, "250 / 48 gives pages of 5 rows")
            list.move2PrevPage()
            compare(list.currentIndex, 6)
        }

        function test_filtering_shrinks_rows_and_keeps_them() {
            capture(["apple", "berry", "apricot", "cherry"])
            const list = makeList(m_model)
            m_model.filterText("ap")
            compare(m_model.rowCount(), 4)
            // Rows 1 and 3 (cherry, berry) lose their height and their content.
            tryCompare(list, "contentHeight", 2 * list.item_height)
            for (const hidden of [0, 2]) {
                const loader = list.itemAtIndex(hidden)
                compare(loader.height, 0)
                compare(loader.item, null)
            }
            list.currentIndex = -1
            list.move2NextRow()
            compare(list.currentIndex, 1, "navigation skips the hidden rows")
            m_model.filterText("")
            tryCompare(list, "contentHeight", 4 * list.item_height)
        }

        function test_copy_button_never_on_the_clipboard_row() {
            capture(rowNames(3))
            const list = makeList(m_model)
            compare(row(list, 1).row_btns, null, "a row makes its buttons when it first shows one")
            const top = hover(list, 0)
            verify(!top.row_btns.copy_btn.visible, "row 0 already is the clipboard")
            verify(top.row_btns.pin_btn.visible)
            verify(!top.row_btns.fav_btn.visible, "no favourites in the Clipboard view")
            const second = hover(list, 1)
            verify(second.row_btns.copy_btn.visible)
            verify(!top.row_btns.pin_btn.visible, "hover left row 0")
        }

        function test_pinned_rows_keep_their_pin_shown() {
            capture(rowNames(3))
            m_cb.pinItem(2)
            const list = makeList(m_model)
            const pinned = row(list, 2)
            verify(pinned.row_btns.pin_btn.visible, "a pinned row shows its pin unhovered")
            verify(pinned.row_btns.pin_btn.checked)
            compare(row(list, 1).row_btns, null, "an unpinned row shows no buttons unhovered")
            // Clicking the pin unpins it in both lists.
            mouseClick(hover(list, 2).row_btns.pin_btn)
            compare(m_model_pin.rowCount(), 0)
            verify(!m_model.isPinned(2))
        }

        function test_pin_view_rows_show_copy_and_favourite_numbers() {
            capture(rowNames(3))
            m_cb.pinItem(0)
            m_cb.pinItem(1)
            m_cb.setIndexFavor(m_model_pin.indexOfMD5(m_model.getMd5(1)))
            const list = makeList(m_model_pin)
            const fav = hover(list, 0)
            verify(fav.row_btns.copy_btn.visible, "every Pin view row can be copied")
            verify(fav.row_btns.fav_btn.checked)
            compare(fav.row_btns.fav_btn.text, "1")
            verify(!fav.row_btns.pin_btn.visible, "a favourite shows its number, not the pin")
            const plain = hover(list, 1)
            verify(plain.row_btns.pin_btn.visible)
            verify(!plain.row_btns.fav_btn.checked)
        }

        function test_a_tenth_favourite_is_refused() {
            capture(rowNames(10))
            for (let i = 0; i < 10; ++i)
                m_cb.pinItem(i)
            for (let f = 0; f < 9; ++f) {
                // The next non-favourite sits right below the favourites.
                m_cb.setIndexFavor(f)
            }
            compare(m_model_pin.last_favor_num, 9)
            const list = makeList(m_model_pin)
            const tenth = hover(list, 9)
            verify(!tenth.row_btns.fav_btn.checked)
            mouseClick(tenth.row_btns.fav_btn)
            compare(toast_spy.count, 1)
            verify(!tenth.row_btns.fav_btn.checked, "the refusal leaves the button unchecked")
            compare(m_model_pin.getFav(9), -1)
        }

        function test_focus_selects_a_row_and_shows_the_focus_bar() {
            capture(rowNames(3))
            m_model.filterText("row 1")
            const list = makeList(m_model)
            root.forceActiveFocus()
            list.currentIndex = -1
            list.forceActiveFocus()
            compare(list.currentIndex, 1, "the first visible row")
            tryVerify(function () { return list.is_item_leftborder_visible })
            root.forceActiveFocus()
            verify(!list.is_item_leftborder_visible)
        }
    }
}
