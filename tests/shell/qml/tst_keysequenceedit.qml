import QtQuick 2.12
import QtTest 1.12
import "qrc:/qml/ctrls"

// Recording a global shortcut from real key events delivered to the focused field.
Item {
    id: root
    width: 400
    height: 200

    property int parent_key_presses: 0

    Item {
        id: key_parent
        anchors.fill: parent
        Keys.onPressed: root.parent_key_presses += 1
    }

    Component {
        id: edit_comp
        KeySequenceEdit {
            width: 300
        }
    }

    SignalSpy {
        id: toast_spy
        target: m_utilities
        signalName: "sigShowToast4Main"
    }

    TestCase {
        name: "KeySequenceEdit"
        when: windowShown

        function focusedEdit() {
            const edit = createTemporaryObject(edit_comp, key_parent)
            edit.forceActiveFocus()
            verify(edit.activeFocus, "the field has the keyboard focus")
            return edit
        }

        function init() {
            toast_spy.clear()
            root.parent_key_presses = 0
        }

        function test_records_combination_data() {
            return [
                { tag: "Ctrl+Alt+C", key: Qt.Key_C,
                  mods: Qt.ControlModifier | Qt.AltModifier, expected: "Ctrl+Alt+C" },
                { tag: "Ctrl+Shift+F5", key: Qt.Key_F5,
                  mods: Qt.ControlModifier | Qt.ShiftModifier, expected: "Ctrl+Shift+F5" },
                { tag: "all four in fixed order", key: Qt.Key_X,
                  mods: Qt.AltModifier | Qt.ShiftModifier | Qt.MetaModifier | Qt.ControlModifier,
                  expected: "Ctrl+Meta+Shift+Alt+X" },
                { tag: "Meta before Shift and Alt", key: Qt.Key_K,
                  mods: Qt.AltModifier | Qt.ShiftModifier | Qt.MetaModifier,
                  expected: "Meta+Shift+Alt+K" },
                { tag: "Alt+Space", key: Qt.Key_Space, mods: Qt.AltModifier,
                  expected: "Alt+Space" },
                { tag: "keypad digit with Ctrl", key: Qt.Key_5,
                  mods: Qt.ControlModifier | Qt.KeypadModifier, expected: "Ctrl+5" }
            ]
        }
        function test_records_combination(data) {
            verify(m_const.isWin, "this build writes sequences with the '+' separator")
            const edit = focusedEdit()
            keyPress(data.key, data.mods)
            compare(edit.text, data.expected)
            compare(toast_spy.count, 0)
            compare(root.parent_key_presses, 0, "the field keeps every key press")
        }

        function test_modifiers_held_one_after_another() {
            const edit = focusedEdit()
            // As on X11: a modifier's own press does not yet carry its bit.
            keyPress(Qt.Key_Control, Qt.NoModifier)
            keyPress(Qt.Key_Alt, Qt.ControlModifier)
            compare(edit.text, "", "modifiers alone record nothing")
            keyPress(Qt.Key_C, Qt.ControlModifier | Qt.AltModifier)
            compare(edit.text, "Ctrl+Alt+C")
            compare(toast_spy.count, 0, "no complaint while the combination was being held")
        }

        function test_lone_modifier_is_ignored_data() {
            return [
                { tag: "Control", key: Qt.Key_Control, mods: Qt.ControlModifier },
                { tag: "Shift", key: Qt.Key_Shift, mods: Qt.ShiftModifier },
                { tag: "Alt", key: Qt.Key_Alt, mods: Qt.AltModifier },
                { tag: "Meta", key: Qt.Key_Meta, mods: Qt.MetaModifier },
                { tag: "Shift without bit", key: Qt.Key_Shift, mods: Qt.NoModifier },
                { tag: "Super_L", key: Qt.Key_Super_L, mods: Qt.NoModifier },
                { tag: "Shift while Ctrl held", key: Qt.Key_Shift, mods: Qt.ControlModifier }
            ]
        }
        function test_lone_modifier_is_ignored(data) {
            const edit = focusedEdit()
            keyPress(Qt.Key_F5, Qt.ControlModifier)
            compare(edit.text, "Ctrl+F5")
            keyPress(data.key, data.mods)
            compare(edit.text, "Ctrl+F5", "the recorded sequence stays")
            compare(toast_spy.count, 0)
            compare(root.parent_key_presses, 0)
        }

        function test_key_without_modifier_is_refused_data() {
            return [
                { tag: "letter", key: Qt.Key_A, mods: Qt.NoModifier },
                { tag: "function key", key: Qt.Key_F5, mods: Qt.NoModifier },
                { tag: "keypad only", key: Qt.Key_5, mods: Qt.KeypadModifier }
            ]
        }
        function test_key_without_modifier_is_refused(data) {
            const edit = focusedEdit()
            keyPress(Qt.Key_C, Qt.ControlModifier | Qt.AltModifier)
            keyPress(data.key, data.mods)
            compare(edit.text, "Ctrl+Alt+C", "the previous sequence stays")
            compare(toast_spy.count, 1)
            compare(toast_spy.signalArguments[0][0], "Modifier key required.")
            compare(root.parent_key_presses, 0)
        }

        function test_backspace_clears() {
            const edit = focusedEdit()
            keyPress(Qt.Key_C, Qt.ControlModifier | Qt.AltModifier)
            compare(edit.text, "Ctrl+Alt+C")
            keyPress(Qt.Key_Backspace)
            compare(edit.text, "")
            compare(toast_spy.count, 0, "Backspace needs no modifier")
            keyPress(Qt.Key_V, Qt.ControlModifier)
            compare(edit.text, "Ctrl+V", "recording works again after clearing")
        }

        function test_field_is_read_only_and_never_selected() {
            const edit = focusedEdit()
            verify(edit.readOnly)
            compare(edit.placeholderText, "Global shortcut")
            keyPress(Qt.Key_Q, Qt.ControlModifier)
            edit.selectAll()
            compare(edit.selectedText, "", "a selection is removed at once")
            keyClick(Qt.Key_Z)
            compare(edit.text, "Ctrl+Q", "typing does not edit the text")
        }
    }
}
