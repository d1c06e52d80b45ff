import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// Chooses the row height of the quick paste lists: four segments as wide as the heights
// they stand for, with an accent bar sliding under the chosen one.
Item {
    id: root

    signal sigClickedHeightChanged(int height)

    readonly property var segments: [small, normal, medium, large]

    // The chosen height, or the one the quick paste lists use when none is chosen.
    function getCurIndex() {
        return group.checkedButton ? group.checkedButton.width : normal.width
    }
    // A stored value that is none of the heights shows the height the lists use for it.
    function setCurIndex(height) {
        const found = segments.filter(function (s) { return s.width === height })
        const segment = found.length > 0 ? found[0] : normal
        segment.checked = true
    }

    implicitWidth: row.width
    implicitHeight: row.height

    ButtonGroup {
        id: group
        exclusive: true
        onClicked: root.sigClickedHeightChanged(button.width)
    }

    Row {
        id: row

        QuickPasteItemHeightCtrlImp {
            id: small
            objectName: "height_small"
            width: 48
            text: qsTranslate("SettingsWnd4Stack", "Small")
            ButtonGroup.group: group
        }
        QuickPasteItemHeightCtrlImp {
            id: normal
            objectName: "height_normal"
            width: 74
            text: qsTranslate("SettingsWnd4Stack", "Normal")
            ButtonGroup.group: group
        }
        QuickPasteItemHeightCtrlImp {
            id: medium
            objectName: "height_medium"
            width: 96
            text: qsTranslate("SettingsWnd4Stack", "Medium")
            ButtonGroup.group: group
        }
        QuickPasteItemHeightCtrlImp {
            id: large
            objectName: "height_large"
            width: 120
            text: qsTranslate("SettingsWnd4Stack", "Large")
            ButtonGroup.group: group
        }
    }

    Rectangle {
        id: mover
        objectName: "mover"
        anchors.bottom: row.bottom
        height: 4
        radius: height / 2
        color: root.Material.accent
        x: group.checkedButton ? group.checkedButton.x : 0
        width: group.checkedButton ? group.checkedButton.width : 0
        Behavior on x {
            NumberAnimation {
                duration: 250
            }
        }
        Behavior on width {
            NumberAnimation {
                duration: 250
            }
        }
    }
}
