import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"

// The main window's item list: one row per item, rows filtered out by the model shrink
// away instead of leaving the model.
CommonList {
    id: root

    property bool is_item_leftborder_visible: false

    signal sigCopyBtnClicked(int index)
    signal sigShowDetails(var m, int index)
    signal sigClearDetails()

    // With no current row the panel is cleared by the same call, so that a hidden list
    // cannot clear what the shown one put there.
    onCurrentIndexChanged: sigShowDetails(model, currentIndex)

    onActiveFocusChanged: {
        if (!activeFocus) {
            is_item_leftborder_visible = false
            return
        }
        if (currentIndex === -1 && model) {
            const row = model.getNextVisibleRow(-1, false)
            if (row !== -1)
                currentIndex = row
        }
    }

    // Every row filtered out by a search: the list says so instead of showing nothing.
    property bool no_match: false
    function refreshNoMatch() {
        no_match = model !== null && model !== undefined && model.rowCount() > 0
                && model.getVisibleStart(false) === -1
    }

    delegate: MainViewRow {}

    Label {
        objectName: root.objectName + "_no_matches"
        parent: root // over the list, not inside its scrolling content
        anchors.centerIn: parent
        visible: root.no_match
        text: qsTranslate("MainView", "No matches")
        font.pixelSize: 16
        color: Material.secondaryTextColor
    }

    Connections {
        target: root.model
        function onDataChanged() {
            Qt.callLater(root.refreshNoMatch)
        }
        function onRowsRemoved() {
            Qt.callLater(root.refreshNoMatch)
        }
        function onRowsInserted() {
            Qt.callLater(root.refreshNoMatch)
        }
        function onModelReset() {
            Qt.callLater(root.refreshNoMatch)
        }
    }

    add: Transition {
        enabled: root.enable_ani
        NumberAnimation {
            property: "opacity"
            from: 0
            to: 1
            duration: root.ani_duration
        }
    }

    remove: Transition {
        enabled: root.enable_ani
        ParallelAnimation {
            NumberAnimation {
                property: "opacity"
                to: 0
                duration: root.ani_duration
            }
            NumberAnimation {
                property: "height"
                to: 0
                duration: root.ani_duration
            }
        }
    }

    // Rows never animate their height here: an animation would replace the row's binding
    // to its filtered height, and a later search would leave it standing at full height.
    displaced: Transition {
        enabled: root.enable_ani
        SmoothedAnimation {
            properties: "x,y"
            duration: root.ani_duration
        }
        NumberAnimation {
            property: "opacity"
            to: 1
            duration: root.ani_duration
        }
    }

    move: Transition {
        enabled: root.enable_ani
        SequentialAnimation {
            NumberAnimation {
                properties: "x,y"
                duration: root.ani_duration
                easing.type: Easing.OutCubic
            }
            ScriptAction {
                script: root.currentIndex = 0
            }
        }
    }
}
