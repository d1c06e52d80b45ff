import QtQuick 2.12
import QtTest 1.12
import "qrc:/qml/ctrls"

// Current index rules and layout of FlowListView over real models.
Item {
    id: root
    width: 300
    height: 300

    ListModel {
        id: list_model
    }

    Component {
        id: flow_comp
        FlowListView {
            width: 100
            height: 60
            delegate: Rectangle {
                width: 40
                height: 30
            }
        }
    }

    TestCase {
        name: "FlowListView"
        when: windowShown

        function init() {
            list_model.clear()
        }

        function test_index_follows_count() {
            const view = createTemporaryObject(flow_comp, root, { model: list_model })
            compare(view.count, 0)
            compare(view.currentIndex, -1)
            verify(view.currentItem === undefined)
            list_model.append({ name: "a" })
            compare(view.currentIndex, 0, "unset index becomes the first item")
            compare(view.currentItem.name, "a")
            for (const n of ["b", "c", "d", "e"])
                list_model.append({ name: n })
            compare(view.currentIndex, 0, "a valid index stays")
            view.currentIndex = 4
            compare(view.currentItem.name, "e")
            list_model.remove(2, 3)
            compare(view.count, 2)
            compare(view.currentIndex, 1, "past the end becomes the last item")
            compare(view.currentItem.name, "b")
            list_model.clear()
            compare(view.currentIndex, -1)
            list_model.append({ name: "z" })
            compare(view.currentIndex, 0)
        }

        function test_array_model() {
            const view = createTemporaryObject(flow_comp, root, { model: ["x", "y", "z"] })
            compare(view.count, 3)
            compare(view.currentIndex, 0)
            compare(view.currentItem, "x")
            view.currentIndex = 2
            compare(view.currentItem, "z")
        }

        function test_items_flow_into_rows() {
            const view = createTemporaryObject(flow_comp, root, { model: 5, spacing: 0 })
            compare(view.contentWidth, view.width)
            tryCompare(view, "contentHeight", 3 * 30, 1000, "two 40-wide items per 100-wide row")
            view.spacing = 25
            tryCompare(view, "contentHeight", 5 * 30 + 4 * 25, 1000,
                       "one item per row with wide spacing")
            verify(view.contentHeight > view.height, "taller than the view, so it scrolls")
            compare(view.flow, Flow.LeftToRight)
        }
    }
}
