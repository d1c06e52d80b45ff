import QtQuick 2.12
import QtQuick.Controls 2.5
import CTypes 1.0
import "../ctrls"
import "../FontVars.js" as FV

// The title bar's buttons for the current Clipboard-view item; which buttons there are
// depends on the item's type and content.
Item {
    id: root

    property var model: null
    property int index: -1

    // After any of the buttons did its work: the keyboard belongs to the list again.
    signal sigActionDone()

    component ActionBtn: ListViewBtn {
        length: root.height
        onClicked: root.sigActionDone()
    }

    function clear() {
        btns.sourceComponent = undefined
    }

    function load(m, i) {
        clear()
        if (m.isPin())
            return
        model = m
        index = i
        switch (m.getType(i)) {
        case CTypes.Urls:
            btns.sourceComponent = urls_btns
            break
        case CTypes.Image:
            btns.sourceComponent = image_btns
            break
        case CTypes.Html:
        case CTypes.Text:
            btns.sourceComponent = text_btns
            break
        default:
            console.assert(false, "unknown ControlBtns.qml")
        }
    }

    implicitWidth: btns.item ? btns.item.implicitWidth : 0

    Loader {
        id: btns
        height: root.height
    }

    Component {
        id: urls_btns
        Row {
            readonly property var val: root.model.getVal(root.index)
            ActionBtn {
                objectName: "btn_reveal"
                text: FV.Folder_open
                tooltip_str: Qt.platform.os === "windows" ? qsTr("Show in Explorer")
                           : Qt.platform.os === "osx" ? qsTr("Show in Finder")
                           : qsTr("Show in file manager")
                onClicked: m_utilities.revealInExplorer(root.model.getVal(root.index))
            }
            ActionBtn {
                visible: m_utilities.isSinglePixUrl(parent.val)
                text: FV.Image
                tooltip_str: qsTr("Copy image")
                onClicked: m_utilities.copyImgFromUrl(root.model, root.index)
            }
        }
    }

    Component {
        id: image_btns
        Row {
            ActionBtn {
                id: btn_rotate
                objectName: "btn_rotate"
                checkable: true
                text: FV.Rotate
                tooltip_str: qsTr("Rotate")
                Component.onCompleted: m_utilities.sigDetailsPicRotate(btn_rotate)
            }
            ActionBtn {
                objectName: "btn_previewer"
                visible: m_const.peekora_path !== ""
                text: FV.Eye
                tooltip_str: qsTr("Open with %1").arg(m_const.peekora_name)
                onClicked: {
                    const m = root.model
                    m_utilities.quicklook(m_const.peekora_path, m_utilities.decodeLocalFileUrl(
                                              m.getImgUrl(m.getMd5(root.index))))
                }
            }
        }
    }

    Component {
        id: text_btns
        Row {
            readonly property bool is_html: root.model.getType(root.index) === CTypes.Html
            // What the buttons look at: an address or a mail link is never longer.
            readonly property string raw: root.model.getValPreview(root.index)
            readonly property string plain: is_html ? m_utilities.convertHtml2Plain(raw) : raw
            // The recognisers accept surrounding blanks; the address itself has none.
            readonly property string address: plain.trim()

            ActionBtn {
                visible: parent.is_html
                text: FV.PlainText
                tooltip_str: qsTr("Copy as plain text")
                onClicked: m_utilities.copyPlainText(m_utilities.convertHtml2Plain(
                                                         root.model.getVal(root.index)))
            }
            ActionBtn {
                visible: m_utilities.isEmailUrl(parent.plain)
                text: FV.Email
                tooltip_str: qsTr("Send emial to ") + parent.address
                onClicked: Qt.openUrlExternally("mailto:" + parent.address)
            }
            ActionBtn {
                visible: !parent.is_html && m_utilities.isRichText(parent.plain)
                checkable: true
                text: FV.Convert2RichText
                tooltip_str: checked ? qsTr("Restore to plain text") : qsTr("Convert to rich text")
                onClicked: m_utilities.sigDetailsTextPlain2Html(checked)
            }
            ActionBtn {
                visible: m_utilities.isWebUrl(parent.plain)
                text: FV.Browser
                tooltip_str: qsTr("Open with browser")
                onClicked: Qt.openUrlExternally(parent.address)
            }
        }
    }
}
