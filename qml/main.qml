import QtQuick 2.12
import QtQuick.Window 2.12

// Stand-in main window until the full interface lands: it loads the histories once the
// QML tree exists, so the program runs end to end.
Window {
    id: root
    visible: false
    width: 675
    height: 505
    title: "Tolvane"
    Component.onCompleted: m_cb.restoreFromFile()
}
