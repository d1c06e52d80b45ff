import QtQuick 2.12
import QtQuick.Controls 2.5

// Records a global shortcut from key presses, as text such as "Ctrl+Alt+C".
TextField {
    id: control

    // Why the last recording was refused, shown while hovered.
    property string tooltip_str: ""

    readOnly: true
    selectByMouse: false
    placeholderText: qsTr("Global shortcut")
    hoverEnabled: true
    ToolTip.text: tooltip_str
    ToolTip.visible: hovered && tooltip_str !== ""

    // The text is only ever replaced as a whole, never edited in parts.
    onSelectedTextChanged: {
        if (selectedText !== "")
            deselect()
    }

    // The four held modifiers in the order they are written, with their key codes.
    readonly property var modifier_order: [
        { mask: Qt.ControlModifier, key: Qt.Key_Control },
        { mask: Qt.MetaModifier, key: Qt.Key_Meta },
        { mask: Qt.ShiftModifier, key: Qt.Key_Shift },
        { mask: Qt.AltModifier, key: Qt.Key_Alt }
    ]
    // X11 reports the Windows and AltGr keys under their own names; they are modifiers too.
    readonly property var modifier_keys: [Qt.Key_Meta, Qt.Key_Control, Qt.Key_Shift, Qt.Key_Alt,
                                          Qt.Key_Super_L, Qt.Key_Super_R, Qt.Key_AltGr]

    function recordKey(key, modifiers) {
        if (key === Qt.Key_Backspace) {
            control.text = ""
            return
        }
        // X11 reports a modifier's own press without its modifier bit, so a lone modifier
        // is recognised by its key before the modifier test below.
        if (modifier_keys.indexOf(key) !== -1)
            return
        const held = modifier_order.filter(function (m) { return (modifiers & m.mask) !== 0 })
        if (held.length === 0) {
            m_utilities.sigShowToast4Main(qsTr("Modifier key required."))
            return
        }
        const key_text = m_utilities.getPortableTextFromKey(key)
        if (key_text === "") {
            console.log("KeySequenceEdit: no text for key", key, "modifiers", modifiers)
            return
        }
        const separator = m_const.isWin ? "+" : ""
        let sequence = ""
        for (let i = 0; i < held.length; ++i)
            sequence += separator + m_utilities.getPortableTextFromKey(held[i].key)
        sequence += separator + key_text
        control.text = m_const.isWin ? sequence.substring(1) : sequence
    }

    Keys.onPressed: {
        event.accepted = true
        // Tab and Shift+Tab move on to the next control, as in any other field.
        const other = event.modifiers & ~(Qt.ShiftModifier | Qt.KeypadModifier)
        if ((event.key === Qt.Key_Tab || event.key === Qt.Key_Backtab) && other === 0) {
            const next = control.nextItemInFocusChain(event.key === Qt.Key_Tab
                                                      && (event.modifiers & Qt.ShiftModifier) === 0)
            if (next)
                next.forceActiveFocus(Qt.TabFocusReason)
            return
        }
        recordKey(event.key, event.modifiers)
    }
}
