import QtQuick 2.12
import QtTest 1.12
import "qrc:/qml/ctrls"

// Toast timing and the toast stack. Durations are checked through the toast's own `time`
// and by waiting generously for the end: Qt Quick animations advance with rendered frames,
// not with the wall clock, so elapsed time is not asserted.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: toast_comp
        Toast {
            property real max_opacity: 0
            onOpacityChanged: max_opacity = Math.max(max_opacity, opacity)
        }
    }

    Component {
        id: manager_comp
        ToastManager {
            width: 300
        }
    }

    TestCase {
        name: "Toast"
        when: windowShown

        function test_short_toast_lasts_two_fades() {
            const toast = createTemporaryObject(toast_comp, root)
            compare(toast.opacity, 0, "hidden until shown")
            toast.show("short", 400)
            compare(toast.time, 2 * toast.fadeTime, "400 ms is raised to two fades")
            compare(toast.time, 600)
            tryCompare(toast, "is_finished", true, 5000)
            fuzzyCompare(toast.max_opacity, 0.95, 0.001)
            compare(toast.opacity, 0)
        }

        function test_durations_data() {
            return [
                { tag: "none given", args: ["text"], time: 3000 },
                { tag: "long", args: ["text", 1200], time: 1200 },
                { tag: "zero", args: ["text", 0], time: 600 },
                { tag: "exactly two fades", args: ["text", 600], time: 600 }
            ]
        }
        function test_durations(data) {
            const toast = createTemporaryObject(toast_comp, root)
            toast.show.apply(toast, data.args)
            compare(toast.time, data.time)
        }

        function test_default_toast_holds_then_fades() {
            const toast = createTemporaryObject(toast_comp, root, { width: 200 })
            toast.show("default")
            compare(toast.time, toast.defaultTime)
            compare(toast.defaultTime, 3000)
            tryCompare(toast, "opacity", 0.95, 2000, "faded in and holding")
            wait(500)
            compare(toast.opacity, 0.95, "still holding half a second later")
            verify(!toast.is_finished)
            tryCompare(toast, "is_finished", true, 6000)
            compare(toast.opacity, 0)
        }

        function test_text_and_size() {
            const toast = createTemporaryObject(toast_comp, root)
            toast.show("hello there", 400)
            compare(toast.children[0].text, "hello there")
            compare(toast.x, toast.margin)
            compare(toast.width, root.width - 2 * toast.margin)
            compare(toast.height, toast.children[0].height + toast.margin)
        }

        function test_kept_when_not_self_destroying() {
            const toast = createTemporaryObject(toast_comp, root, { selfDestroying: false })
            toast.show("stay", 400)
            tryCompare(toast, "max_opacity", 0.95, 3000)
            tryCompare(toast, "opacity", 0, 3000)
            wait(100)
            verify(!toast.is_finished)
        }

        function test_show_again_restarts_without_finishing() {
            const toast = createTemporaryObject(toast_comp, root)
            toast.show("first", 2000)
            wait(100)
            toast.show("second", 400)
            verify(!toast.is_finished, "a restart is not an end")
            tryCompare(toast, "is_finished", true, 5000)
        }

        function texts(manager) {
            const result = []
            for (let i = 0; i < manager.model.count; ++i)
                result.push(manager.model.get(i).text)
            return result
        }

        function test_fifth_toast_drops_the_oldest() {
            const manager = createTemporaryObject(manager_comp, root)
            compare(manager.max_count, 4)
            for (let i = 1; i <= 4; ++i)
                manager.show("t" + i, 10000)
            compare(texts(manager), ["t4", "t3", "t2", "t1"])
            manager.show("t5", 10000)
            compare(manager.count, 4, "never more than max_count")
            compare(texts(manager), ["t5", "t4", "t3", "t2"], "the oldest is gone at once")
            tryVerify(function () { return manager.itemAtIndex(0) !== null })
            const top = manager.itemAtIndex(0)
            verify(top.y <= manager.itemAtIndex(1).y, "the newest is at the top")
            compare(top.children[0].text, "t5")
        }

        function test_finished_toasts_leave_the_stack() {
            const manager = createTemporaryObject(manager_comp, root)
            manager.show("a", 400)
            manager.show("b", 400)
            manager.show("c")
            compare(manager.count, 3)
            tryCompare(manager, "count", 1, 5000)
            compare(texts(manager), ["c"], "the default toast stays longer")
            tryCompare(manager, "count", 0, 6000)
        }

        function test_short_toast_does_not_take_a_longer_one_along() {
            const manager = createTemporaryObject(manager_comp, root)
            manager.show("long", 4000)
            manager.show("short", 400)
            tryCompare(manager, "count", 1, 5000)
            compare(texts(manager), ["long"])
        }

        function test_toast_colours_and_layout() {
            const manager = createTemporaryObject(manager_comp, root,
                                                  { toast_bg_clr: "#cccccc",
                                                    toast_text_clr: "black" })
            verify(!manager.interactive)
            compare(manager.spacing, 5)
            compare(manager.height, 200)
            manager.show("coloured", 5000)
            tryVerify(function () { return manager.itemAtIndex(0) !== null })
            const toast = manager.itemAtIndex(0)
            verify(Qt.colorEqual(toast.color, "#cccccc"), "background " + toast.color)
            verify(Qt.colorEqual(toast.children[0].color, "black"), "text colour")
            compare(toast.width, manager.width - 2 * toast.margin)
        }
    }
}
