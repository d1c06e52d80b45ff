import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A modal message with a scrollable, read-only text.
Dialog {
    id: root
    background: PopupBackground {}

    property string info: ""

    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    contentItem: Flickable {
        id: flick
        objectName: "msg_flick"
        // Tall enough for the whole text, so the dialog can grow to it (fonts differ in
        // height between languages).
        implicitHeight: contentHeight
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds

        HoverHandler {
            id: hover
        }

        TextArea.flickable: TextArea {
            text: root.info
            readOnly: true
            selectByMouse: false
            wrapMode: TextArea.WordWrap
            horizontalAlignment: TextArea.AlignHCenter
            font.pixelSize: 16
            color: root.Material.foreground
            // An attached text area keeps the style's underline when given null.
            background: Item {}
        }

        ScrollIndicator.vertical: ScrollIndicator {
            active: hover.hovered
        }
    }
}
