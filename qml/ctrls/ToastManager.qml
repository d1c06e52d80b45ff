import QtQuick 2.12

// A stack of toasts, newest at the top; the oldest make room when there are too many.
ListView {
    id: root

    property int max_count: 4
    property color toast_bg_clr: "#222"
    property color toast_text_clr: "white"

    function show(text, duration) {
        const has_duration = duration !== undefined && duration !== null
        toast_model.insert(0, { text: text, duration: has_duration ? duration : 0,
                                has_duration: has_duration })
        if (toast_model.count > max_count)
            toast_model.remove(max_count)
    }

    interactive: false
    verticalLayoutDirection: ListView.TopToBottom
    spacing: 5
    height: 200
    model: ListModel {
        id: toast_model
    }

    delegate: Toast {
        bg_color: root.toast_bg_clr
        text_color: root.toast_text_clr
        Component.onCompleted: {
            if (has_duration)
                show(text, duration)
            else
                show(text)
        }
        // Each toast takes its own row away: with mixed durations the one that finishes
        // is not necessarily the oldest.
        onIs_finishedChanged: {
            if (is_finished)
                toast_model.remove(index)
        }
    }

    displaced: Transition {
        NumberAnimation {
            property: "y"
            easing.type: Easing.InOutQuad
        }
    }
}
