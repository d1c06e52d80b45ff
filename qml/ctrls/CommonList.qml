import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Window 2.12

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
    // The search the rows mark in what they show; it changes with the rows they show.
    property string filter_key: ""

    signal sigRowCountChanged()

    // The search waiting for the field's own frame: a typed character shows at once and
    // the rows, their marks and the cleared current row follow one frame later (marking the
    // rows in view costs more than that frame); keys typed meanwhile only replace the text.
    property string pending_filter: ""
    property bool filter_pending: false

    // Filters after the next frame has been drawn, so that the field shows the key first;
    // a hidden window has no frame to wait for.
    function applyFilterKey(text) {
        if (!Window.window || !Window.window.visible) {
            applyFilterNow(text)
            return
        }
        pending_filter = text
        if (filter_pending)
            return
        filter_pending = true
        filter_frame_wait.enabled = true
        filter_fallback.restart()
    }
    // Filters at once: for a hidden window, and for lists that do not wait for a frame.
    function applyFilterNow(text) {
        pending_filter = text
        filter_pending = true
        flushFilter()
    }
    // Filters the model and lays the list out before any row builds its content, so that
    // only the rows left in view are built. Anything that reads the rows calls it first.
    function flushFilter() {
        if (!filter_pending)
            return
        filter_pending = false
        filter_frame_wait.enabled = false
        filter_after_frame.stop()
        filter_fallback.stop()
        filtering = true
        if (is_qp_view) {
            model.filterTextQuickPaste(pending_filter)
        } else {
            currentIndex = -1
            model.filterText(pending_filter)
        }
        forceLayout()
        // Only the rows left in view mark the new search; rows made by the layout above
        // get their content with it once filtering ends.
        filter_key = pending_filter
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
        flushFilter()
        applyRow(model.getNextVisibleRow(currentIndex, is_qp_view))
    }
    function move2PrevRow() {
        flushFilter()
        applyRow(model.getPrevVisibleRow(currentIndex, is_qp_view))
    }
    function move2StartRow() {
        flushFilter()
        applyRow(model.getVisibleStart(is_qp_view))
    }
    function move2EndRow() {
        flushFilter()
        applyRow(model.getVisibleEnd(is_qp_view))
    }
    function move2NextPage() {
        flushFilter()
        currentIndex = model.getNextPage(currentIndex, pageRows(), is_qp_view)
    }
    function move2PrevPage() {
        flushFilter()
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

    // The frame is drawn on another thread; its signal reaches this thread queued.
    Connections {
        id: filter_frame_wait
        target: root.Window.window
        enabled: false
        function onFrameSwapped() {
            filter_frame_wait.enabled = false
            filter_after_frame.start()
        }
    }
    // Sending the frame woke the display server, most likely onto this processor; the
    // filter's work waits a moment so that the server shows the key first instead of
    // queueing behind it.
    Timer {
        id: filter_after_frame
        interval: 1
        onTriggered: root.flushFilter()
    }
    // A frame that never comes (an obscured window) does not hold the search back.
    Timer {
        id: filter_fallback
        interval: 50
        onTriggered: root.flushFilter()
    }

    onVisibleChanged: {
        flushFilter()
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
