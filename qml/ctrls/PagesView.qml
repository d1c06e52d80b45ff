import QtQuick 2.12
import QtQuick.Controls 2.5

// Pages side by side. The toolkit gives the pages' list an invisible highlight that grows
// to a page's width at 400 px a second: a second of frames drawn for nothing after every
// show, each of which could hold back a key. It takes its size at once instead.
SwipeView {
    id: root

    Binding {
        target: root.contentItem
        property: "highlightResizeDuration"
        value: 0
    }
}
