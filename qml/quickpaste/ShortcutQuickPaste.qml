import QtQuick 2.12
import QtQml.Models 2.12

// The quick paste keys: 1 to 9 name the first nine rows, F1 to F8 the filtered rows
// after them. A search field that has the focus keeps the digits it is typed.
Item {
    signal sigQuickPasteIndex(int index)
    signal sigQuickPasteIndexFunctionKey(string key)

    Instantiator {
        model: 9
        delegate: Shortcut {
            sequence: String(index + 1)
            autoRepeat: false
            onActivated: sigQuickPasteIndex(index)
        }
    }

    Instantiator {
        model: 8
        delegate: Shortcut {
            sequence: "F" + (index + 1)
            autoRepeat: false
            onActivated: sigQuickPasteIndexFunctionKey(sequence)
        }
    }
}
