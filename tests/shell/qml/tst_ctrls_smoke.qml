import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import "qrc:/qml/ctrls"

// Every common control loads from the resources, shows in a window and reports no QML
// warning while doing so.
Item {
    id: root
    width: 640
    height: 480

    TestCase {
        name: "CtrlsSmoke"
        when: windowShown

        function test_create_data() {
            return [
                { tag: "FontIconBtn", props: { text: "\ue80e", tooltip_str: "Copy" } },
                { tag: "ListViewBtn", props: { text: "\ue80e", length: 40 } },
                { tag: "AboutBtn", props: { text: "\uf099" } },
                { tag: "BtnWithIcon", props: { icon_text: "\ue81b", display_text: "Keyboard" } },
                { tag: "CAnimatedLineEdit", props: { text: "abc" } },
                { tag: "KeySequenceEdit", props: {} },
                { tag: "CSlider", props: { from: 10, to: 300, value: 40 } },
                { tag: "FlowListView", props: { width: 200, height: 100, model: 3 } },
                { tag: "DashLine", props: { width: 100, height: 1 } },
                { tag: "WndContainer", props: {} },
                { tag: "HalfRadiusRt", props: { width: 100, height: 52, radius: 4 } },
                { tag: "Toast", props: {} },
                { tag: "ToastManager", props: { width: 300 } },
                { tag: "MsgBox", props: { info: "hello", width: 300, height: 150 } }
            ]
        }

        function test_create(data) {
            const before = qml_warnings.count
            const component = Qt.createComponent("qrc:/qml/ctrls/" + data.tag + ".qml")
            compare(component.status, Component.Ready, component.errorString())
            const obj = createTemporaryObject(component, root, data.props)
            verify(obj !== null, "created " + data.tag)
            wait(50)
            compare(qml_warnings.count, before, qml_warnings.messages.join("\n"))
        }

        // Children of a field or a flickable rather than free-standing items.
        Component {
            id: field_with_clear_btn
            TextField {
                property alias clear_btn: btn
                TextFieldClearBtn { id: btn }
            }
        }
        Component {
            id: flickable_with_bars
            Flickable {
                width: 200
                height: 100
                contentWidth: 400
                contentHeight: 400
                ScrollBar.vertical: VScrollBar {}
                ScrollBar.horizontal: HtmlTextHorScrollbar {}
            }
        }

        function test_create_attached_controls() {
            const before = qml_warnings.count
            verify(createTemporaryObject(field_with_clear_btn, root, { text: "x" }) !== null)
            verify(createTemporaryObject(flickable_with_bars, root) !== null)
            wait(50)
            compare(qml_warnings.count, before, qml_warnings.messages.join("\n"))
        }

        // Warnings that QML only prints, without reporting them to its engine, count too.
        QtObject {
            id: not_an_item
        }
        Component {
            id: plain_item
            Item {}
        }

        function test_plain_qml_warnings_are_heard() {
            wait(0) // the log listens from the first turn of the event loop in a test run
            const before = qml_warnings.count
            const orphan = plain_item.createObject(not_an_item)
            verify(orphan !== null)
            tryVerify(function () { return qml_warnings.count > before }, 2000)
            const taken = qml_warnings.takeMatching("not placed in the graphics scene")
            compare(taken.length, 1, qml_warnings.messages.join("\n"))
            compare(qml_warnings.count, before)
            orphan.destroy()
        }

        // The test set-up prepares its engine as the program does, and that alone must make
        // the bundled icon family available (the text family may be installed anyway).
        function test_icon_font_is_registered() {
            verify(Qt.fontFamilies().indexOf("psfont") !== -1)
        }
    }
}
