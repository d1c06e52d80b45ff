import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"
import "../FontVars.js" as FV

// One host of the host bar: a glyph and the host's name. A linked host's button offers,
// while hovered, to drop the link.
ToolButton {
    id: control

    property string tooltip_str: ""
    property string tooltip_str_pre: ""
    property string icon_text: ""
    property bool is_local: false
    // The link is not encrypted: an open padlock shows it.
    property bool is_plain: false
    // A second tooltip line on how the link is protected.
    property string security_note: ""
    // A host whose history has not arrived yet shows greyed and cannot be opened; its link
    // can still be dropped.
    property bool is_ready: true
    property alias bg_color: bg.color

    readonly property color content_color: !enabled || !is_ready ? Material.hintTextColor
                                          : checked || highlighted ? Material.accentColor
                                          : Material.foreground
    readonly property bool show_close: !is_local && (hovered || close_btn.hovered)

    signal sigDisconnect()

    checkable: is_ready
    focusPolicy: Qt.NoFocus
    hoverEnabled: true
    clip: true
    width: 0
    visible: width !== 0
    font.pixelSize: 16
    font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto
    // Machine names as they are, not in the style's capitals.
    font.capitalization: Font.MixedCase

    Behavior on width {
        NumberAnimation {
            duration: 300
        }
    }

    background: Rectangle {
        id: bg
        color: "transparent"

        PressRipple {
            anchors.fill: parent
            pressed: control.pressed
            anchor: control
            active: control.down || control.hovered
            color: control.Material.rippleColor
        }
    }

    contentItem: Item {
        Row {
            id: content
            anchors.centerIn: parent
            spacing: 6

            Text {
                id: glyph
                anchors.verticalCenter: parent.verticalCenter
                visible: text !== ""
                text: control.icon_text
                font.family: FV.FontIcon
                font.pixelSize: control.font.pixelSize + 4
                color: control.content_color
            }
            Text {
                id: padlock
                objectName: "host_padlock"
                anchors.verticalCenter: parent.verticalCenter
                visible: control.is_plain && !control.is_local
                text: FV.Unlocked
                font.family: FV.FontIcon
                font.pixelSize: control.font.pixelSize
                color: control.content_color
            }
            // A peer's name arrives as it sent it: never read as markup.
            Text {
                id: label
                objectName: "host_name"
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth, Math.max(0, control.availableWidth
                                - (glyph.visible ? glyph.width + content.spacing : 0)
                                - (padlock.visible ? padlock.width + content.spacing : 0)
                                - (control.is_local ? 0 : 2 * close_btn.width)))
                text: control.text
                textFormat: Text.PlainText
                elide: Text.ElideLeft
                font: control.font
                color: control.content_color
            }
        }
    }

    FontIconBtn {
        id: close_btn
        objectName: "host_close"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: control.height
        height: control.height
        visible: control.show_close
        text: FV.Close
        font.pixelSize: 14
        focusPolicy: Qt.NoFocus
        onHoveredChanged: control.tooltip_str_pre = hovered
                          ? qsTranslate("Connection", "Disconnect") + " " : ""
        onClicked: control.sigDisconnect()
    }

    ToolTip.visible: hovered && tooltip_str !== ""
    ToolTip.text: tooltip_str_pre + tooltip_str + (security_note !== "" ? "\n" + security_note : "")
    ToolTip.delay: Qt.styleHints.mousePressAndHoldInterval
}
