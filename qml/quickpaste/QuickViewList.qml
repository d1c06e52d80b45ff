import QtQuick 2.12
import "../ctrls"

// A quick paste list: live previews of the items, numbered 1-9 for the first nine rows and
// F1-F8 for the filtered rows after them; one click pastes.
CommonList {
    id: root

    // Function-key name to model row, recorded by the rows that show the key.
    property var filter_index_map: ({})
    property bool is_hiding: false

    signal sigDbClicked(int index)

    readonly property int numbered_rows: 9

    function getHeight() {
        const stored = parseInt(m_ini.getIni(m_ini.stack_quickview_item_height()), 10)
        return [48, 74, 96, 120].indexOf(stored) !== -1 ? stored : 74
    }

    function number2Fn(number, index) {
        if (number < 0 || number > 7)
            return ""
        const name = "F" + (number + 1)
        filter_index_map[name] = index
        return name
    }

    // The row a function key names, or -1. A recorded row counts only while it still is
    // that key's row: the visible rows after the ninth, in order, give the keys.
    function rowOfFunctionKey(name) {
        const row = filter_index_map[name]
        if (row === undefined || row < numbered_rows || row >= model.rowCount()
                || !model.isVisibleQp(row))
            return -1
        let before = 0
        for (let r = numbered_rows; r < row; ++r) {
            if (model.isVisibleQp(r))
                ++before
        }
        return "F" + (before + 1) === name ? row : -1
    }

    is_qp_view: true
    ani_duration: 250
    item_height: getHeight()

    delegate: QuickViewRow {}

    remove: Transition {
        enabled: root.enable_ani
        SequentialAnimation {
            ScriptAction {
                script: {
                    root.is_hiding = true
                    root.currentIndex = -1
                }
            }
            SmoothedAnimation {
                property: "opacity"
                from: 1
                to: 0
                duration: root.ani_duration
            }
            ScriptAction {
                script: root.is_hiding = false
            }
        }
    }

    Component.onCompleted: applyFilterNow("")
}
