import QtQuick 2.12

// The main window's keyboard: every key binding turns into one signal that the window
// acts on. A search field keeps the keys that type text.
Item {
    signal sigSwitchWndFocus()
    signal sigClose()
    signal sigInfo()
    signal sigDel()
    signal sigDelAll()
    signal sigCopy()
    signal sigConnection()
    signal sigFind()
    signal sigPreference()
    signal sigPin()
    signal sigMoveCurItem(bool is_up)
    signal sigMoveCurItemPage(bool is_up)
    signal sigKeyLeftRight(bool to_right)

    Shortcut {
        sequence: "Tab"
        autoRepeat: false
        onActivated: sigSwitchWndFocus()
    }
    Shortcut {
        sequences: ["Ctrl+W", "Ctrl+H", "Esc"]
        autoRepeat: false
        onActivated: sigClose()
    }
    Shortcut {
        sequence: "Ctrl+I"
        autoRepeat: false
        onActivated: sigInfo()
    }
    // A search field keeps Delete for its text: the field takes the key first.
    Shortcut {
        sequences: [m_const.sc_del_item, "Delete"]
        autoRepeat: false
        onActivated: sigDel()
    }
    Shortcut {
        sequence: m_const.sc_rm_model_data
        autoRepeat: false
        onActivated: sigDelAll()
    }
    Shortcut {
        sequence: m_const.sc_activate_item
        autoRepeat: false
        onActivated: sigCopy()
    }
    Shortcut {
        sequence: m_const.sc_connector
        onActivated: sigConnection()
    }
    Shortcut {
        sequence: StandardKey.Find
        onActivated: sigFind()
    }
    Shortcut {
        sequence: m_const.isWin ? "Ctrl+," : StandardKey.Preferences
        onActivated: sigPreference()
    }
    Shortcut {
        sequences: [m_const.sc_pin_item_return, m_const.sc_pin_item_enter]
        autoRepeat: false
        onActivated: sigPin()
    }
    Shortcut {
        sequences: ["W", StandardKey.MoveToPreviousLine]
        onActivated: sigMoveCurItem(true)
    }
    Shortcut {
        sequences: ["S", StandardKey.MoveToNextLine]
        onActivated: sigMoveCurItem(false)
    }
    Shortcut {
        sequence: StandardKey.MoveToPreviousPage
        onActivated: sigMoveCurItemPage(true)
    }
    Shortcut {
        sequence: StandardKey.MoveToNextPage
        onActivated: sigMoveCurItemPage(false)
    }
    Shortcut {
        sequences: [m_const.sc_switch2pin, "D"]
        autoRepeat: false
        onActivated: sigKeyLeftRight(true)
    }
    Shortcut {
        sequences: [m_const.sc_switch2cb, "A"]
        autoRepeat: false
        onActivated: sigKeyLeftRight(false)
    }
}
