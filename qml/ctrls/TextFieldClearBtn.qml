import QtQuick 2.12
import QtQuick.Controls 2.5
import "../FontVars.js" as FV

// The clear button inside a text field: shown while the field holds text; clearing keeps
// the focus in the field so the user can type again at once.
ToolButton {
    id: control

    property string atext: parent ? parent.text : ""

    anchors.right: parent ? parent.right : undefined
    flat: true
    focusPolicy: Qt.NoFocus
    text: FV.Close
    font.family: FV.FontIcon
    font.pixelSize: parent ? parent.font.pixelSize : 14
    topPadding: parent ? parent.topPadding : 0
    bottomPadding: parent ? parent.bottomPadding : 0

    // No fade: it would keep redrawing the window after each key of a search.
    visible: atext.length > 0

    onClicked: {
        parent.clear()
        parent.forceActiveFocus()
    }
}
