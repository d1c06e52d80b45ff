import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../FontVars.js" as FV

// A text field underlined by a line that thickens and takes the accent colour with focus.
TextField {
    id: control

    selectByMouse: true
    font.pixelSize: 16
    font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto

    background: Rectangle {
        y: control.height - height - control.bottomPadding / 2
        width: control.width
        height: control.activeFocus ? 2 : 1
        color: control.activeFocus ? control.Material.accentColor : control.Material.hintTextColor
        Behavior on height {
            NumberAnimation {
                duration: 200
            }
        }
        Behavior on color {
            ColorAnimation {
                duration: 200
            }
        }
    }
}
