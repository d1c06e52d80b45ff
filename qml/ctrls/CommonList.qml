import QtQuick 2.12
import QtQuick.Controls 2.5

// The base of every item list: navigation asks the model, which alone knows which rows
// pass the filter; row changes made while the window is hidden skip the animations.
ListView {
    id: root

    property bool enable_ani: false
    property int ani_duration: 400
    property int item_height: 48
    property bool is_qp_view: false
    // True while a search changes which rows show; see applyFilterKey.
    property bool filtering: false

    signal sigRowCountChanged()

    // Filters the model and lays the list out before any row builds its content, so that
    // only the rows left in view are built.
    function applyFilterKey(text) {
        filtering = true
        if (is_qp_view)
            model.filterTextQuickPaste(text)
        else
            model.filterText(text)
        forceLayout()
        filtering = false
    }
    function pageRows() {
        return Math.floor(height / item_height)
    }
    function applyRow(row) {
        if (row !== -1)
            currentIndex = row
    }
    function move2NextRow() {
        applyRow(model.getNextVisibleRow(currentIndex, is_qp_view))
    }
    function move2PrevRow() {
        applyRow(model.getPrevVisibleRow(currentIndex, is_qp_view))
    }
    function move2StartRow() {
        applyRow(model.getVisibleStart(is_qp_view))
    }
    function move2EndRow() {
        applyRow(model.getVisibleEnd(is_qp_view))
    }
    function move2NextPage() {
        currentIndex = model.getNextPage(currentIndex, pageRows(), is_qp_view)
    }
    function move2PrevPage() {
        currentIndex = model.getPreviousPage(currentIndex, pageRows(), is_qp_view)
    }

    focus: true
    clip: true
    antialiasing: true
    currentIndex: -1
    highlightFollowsCurrentItem: true
    // The current row and the scrolled view are where the key leaves them at once: every
    // frame of a glide is drawn in full, and the user waits for the row, not the glide.
    highlightMoveDuration: 0
    highlightResizeDuration: 0
    keyNavigationEnabled: false
    boundsBehavior: m_const.isWin ? Flickable.StopAtBounds : Flickable.DragAndOvershootBounds

    ScrollBar.vertical: VScrollBar {}

    Keys.onPressed: {
        if (event.matches(StandardKey.MoveToEndOfLine)
                || event.matches(StandardKey.MoveToEndOfDocument)) {
            move2EndRow()
            event.accepted = true
        } else if (event.matches(StandardKey.MoveToStartOfLine)
                   || event.matches(StandardKey.MoveToStartOfDocument)) {
            move2StartRow()
            event.accepted = true
        }
    }

    onVisibleChanged: {
        if (visible)
            forceActiveFocus()
    }

    Connections {
        target: root.model
        function onRowsAboutToBeInserted() {
            root.sigRowCountChanged()
        }
        function onRowsAboutToBeRemoved() {
            root.sigRowCountChanged()
        }
        function onSigRowChangedInstant() {
            root.enable_ani = root.is_qp_view ? m_const.qp_wnd_visible : m_const.main_wnd_visible
        }
    }
}
