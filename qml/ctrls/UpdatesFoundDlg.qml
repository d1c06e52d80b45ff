import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// Announces a newer version with its release notes and offers the download.
Dialog {
    id: root
    background: PopupBackground {}

    property string ver_num: ""
    property string relnote: ""

    signal sigUpdateConfirmed()

    title: qsTr("New verion(%1) is available!").arg(ver_num)
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    Component.onCompleted: open()

    contentItem: Flickable {
        id: flick
        clip: true
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds

        HoverHandler {
            id: hover
        }

        TextArea.flickable: TextArea {
            objectName: "relnote"
            text: root.relnote
            textFormat: TextEdit.RichText
            readOnly: true
            selectByMouse: false
            wrapMode: TextArea.WordWrap
            font.pixelSize: 16
            background: Item {}
            // The notes come from the web: only web pages are opened from their links.
            onLinkActivated: {
                if (/^https?:\/\//i.test(link))
                    Qt.openUrlExternally(link)
            }
        }

        ScrollIndicator.vertical: ScrollIndicator {
            active: hover.hovered
        }
    }

    footer: DialogButtonBox {
        implicitHeight: 52
        font.pixelSize: 14
        buttonLayout: m_const.isWin ? DialogButtonBox.WinLayout : DialogButtonBox.MacLayout

        Button {
            objectName: "update_download"
            flat: true
            text: qsTr("Download")
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
        Button {
            objectName: "update_cancel"
            flat: true
            text: qsTr("Cancel")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }

    onAccepted: sigUpdateConfirmed()
}
