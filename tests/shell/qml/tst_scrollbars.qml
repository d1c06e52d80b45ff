import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import "qrc:/qml/ctrls"

// The two scroll bars attached to a real Flickable.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: flick_comp
        Flickable {
            width: 200
            height: 100
            contentWidth: 200
            contentHeight: 100
            property alias hbar: hbar
            property alias vbar: vbar
            ScrollBar.horizontal: HtmlTextHorScrollbar { id: hbar }
            ScrollBar.vertical: VScrollBar { id: vbar }
        }
    }

    TestCase {
        name: "ScrollBars"
        when: windowShown

        function test_horizontal_bar_only_while_content_is_wider() {
            const flick = createTemporaryObject(flick_comp, root)
            const bar = flick.hbar
            compare(bar.size, 1.0)
            verify(!bar.visible, "content fits: no bar")
            flick.contentWidth = 400
            fuzzyCompare(bar.size, 0.5, 0.001)
            verify(bar.visible)
            compare(bar.height, 12)
            compare(bar.y + bar.height, flick.height, "along the bottom")
            compare(bar.policy, ScrollBar.AlwaysOn)
            // Drawn at once: a fade-in would draw frames for a quarter second per text.
            compare(bar.contentItem.opacity, 1.0)
            compare(bar.background.opacity, 1.0)
            flick.contentWidth = 150
            verify(!bar.visible, "hidden again once the content fits")
        }

        function test_tiny_horizontal_handle_is_raised_to_15_percent() {
            const flick = createTemporaryObject(flick_comp, root, { contentWidth: 20000 })
            const bar = flick.hbar
            verify(bar.size < 0.15)
            fuzzyCompare(bar.visualSize, 0.15, 0.0001)
            const handle = bar.contentItem
            tryVerify(function () { return Math.abs(handle.width - 0.15 * bar.availableWidth) < 0.5 },
                      1000, "handle is 15 % of the track, is " + handle.width)
            // At the far end the raised handle still ends inside the track.
            flick.contentX = flick.contentWidth - flick.width
            tryVerify(function () {
                return Math.abs(handle.x + handle.width - (bar.leftPadding + bar.availableWidth)) < 0.5
            }, 1000, "handle ends at the track's end")
        }

        function test_large_horizontal_handle_keeps_its_size() {
            const flick = createTemporaryObject(flick_comp, root, { contentWidth: 500 })
            fuzzyCompare(flick.hbar.visualSize, 0.4, 0.0001)
        }

        function test_vertical_bar_sizes() {
            const flick = createTemporaryObject(flick_comp, root, { contentHeight: 10000 })
            const bar = flick.vbar
            const handle = bar.contentItem
            fuzzyCompare(bar.visualSize, 0.2, 0.0001, "minimum handle size")
            compare(bar.background.children.length, 0, "nothing behind the handle")
            compare(bar.x + bar.width, flick.width, "at the right edge")
            compare(handle.width, 7)
            compare(handle.radius, handle.width / 2)
            compare(handle.opacity, 0, "hidden until scrolled")
            mouseMove(bar, bar.width / 2, bar.height / 2)
            tryCompare(bar, "hovered", true, 1000)
            tryCompare(handle, "width", 12, 1000)
            compare(bar.x + bar.width, flick.width, "widens towards the inside")
            mouseMove(root, 10, 250)
            tryCompare(handle, "width", 7, 1000)
        }

        function test_vertical_handle_shows_while_scrolling() {
            const flick = createTemporaryObject(flick_comp, root, { contentHeight: 1000 })
            const handle = flick.vbar.contentItem
            compare(handle.opacity, 0)
            flick.flick(0, -2000)
            tryVerify(function () { return handle.opacity > 0 }, 2000, "shown by the active state")
        }
    }
}
