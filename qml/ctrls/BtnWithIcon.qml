import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../FontVars.js" as FV

// A button whose content is a glyph followed by a text.
Button {
    id: control

    property string icon_fontfamily: FV.FontIcon
    property string icon_text: ""
    property string display_text: ""

    readonly property color content_color: !enabled ? Material.hintTextColor
                                          : flat && highlighted ? Material.accentColor
                                          : highlighted ? Material.primaryHighlightedTextColor
                                          : Material.foreground

    font.pixelSize: 14

    contentItem: Item {
        implicitWidth: glyph.implicitWidth + control.spacing + label.implicitWidth
        implicitHeight: Math.max(glyph.implicitHeight, label.implicitHeight)

        Row {
            anchors.centerIn: parent
            spacing: control.spacing

            Text {
                id: glyph
                anchors.verticalCenter: parent.verticalCenter
                text: control.icon_text
                font.family: control.icon_fontfamily
                font.pixelSize: 20
                color: control.content_color
            }
            Text {
                id: label
                anchors.verticalCenter: parent.verticalCenter
                width: Math.min(implicitWidth,
                                Math.max(0, control.availableWidth - glyph.width - control.spacing))
                text: control.display_text
                font: control.font
                elide: Text.ElideRight
                color: control.content_color
            }
        }
    }
}
