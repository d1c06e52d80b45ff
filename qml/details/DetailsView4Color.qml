import QtQuick 2.12
import QtQuick.Controls 2.5

// A colour: the page in that colour, with its notations in the main window and the
// copied text in the quick paste window.
DetailsViewAbstract {
    id: root

    property color bg_color
    // Set once the page is shown: only later colour changes animate.
    property bool is_init: false

    function notations() {
        const lines = [m_utilities.getHex(bg_color), m_utilities.getRGB(bg_color),
                       m_utilities.getHSV(bg_color), m_utilities.getHSL(bg_color),
                       m_utilities.getCMYK(bg_color)]
        const name = m_utilities.getName(bg_color)
        if (name !== "")
            lines.push(name)
        return lines.join("\n")
    }

    Component.onCompleted: is_init = true

    Rectangle {
        anchors.fill: parent
        color: root.bg_color
        Behavior on color {
            enabled: root.is_init
            ColorAnimation {
                duration: 250
            }
        }
    }

    // Black text on a pale backing stays readable on any colour; a plain shape, which every
    // scene graph backend draws (a shader glow needs OpenGL).
    Rectangle {
        objectName: "color_label_backing"
        anchors.fill: label_loader
        anchors.margins: -6
        radius: 6
        color: "white"
        opacity: 0.6
        visible: label_loader.width > 0
    }

    Loader {
        id: label_loader
        anchors.verticalCenter: parent.verticalCenter
        anchors.left: root.is_selectable ? undefined : parent.left
        anchors.right: root.is_selectable ? parent.right : undefined
        anchors.leftMargin: m_const.main_list_left_padding / 2
        anchors.rightMargin: m_const.main_list_left_padding / 2
        sourceComponent: root.is_selectable ? notations_label : plain_label
    }

    Component {
        id: plain_label
        ColorLabel {
            objectName: "color_plain"
            text: root.model ? root.model.getPlain(root.index) : ""
        }
    }

    Component {
        id: notations_label
        ColorLabel {
            objectName: "color_notations"
            horizontalAlignment: Text.AlignRight
            // Rebuilt whenever the colour changes.
            text: root.notations()
        }
    }

    component ColorLabel: Label {
        textFormat: Text.PlainText
        color: "black"
        font.pixelSize: 18
        // Thin strokes vanish into the backing on light colours.
        font.weight: Font.Medium
    }
}
