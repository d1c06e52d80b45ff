import QtQuick 2.12

// What every details page is given: the item (model and row), its key and the mode.
Item {
    property bool is_selectable: true
    property var model: null
    property int index: -1
    property string md5: ""

    // Selections and rotations are remembered for local items only, and only where the
    // user can make them.
    function isSelectionKept() {
        return is_selectable && model !== null && model.isLocal()
    }

    clip: true
}
