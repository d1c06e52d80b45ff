import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "qrc:/qml/ctrls"
import "qrc:/qml/details"
import "qrc:/qml/FontVars.js" as FV

// The details panel as the main window places it: under a title strip that holds the
// rotate button, beside where the lists would be.
ApplicationWindow {
    id: root

    width: 560
    height: 460
    visible: true
    title: "Details"
    font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto
    Material.theme: m_const.theme
    Material.accent: m_const.isDark ? m_const.color_accent_dark : Material.Pink
    Material.background: m_const.isDark ? m_const.color_background_dark : undefined

    Rectangle {
        id: title_bar
        width: parent.width
        height: m_const.title_height
        color: Qt.darker(root.Material.background, 1.05)

        ListViewBtn {
            id: rotate_btn
            objectName: "rotate_btn"
            anchors.verticalCenter: parent.verticalCenter
            x: m_const.main_list_left_padding / 2
            length: parent.height
            checkable: true
            text: FV.Rotate
            tooltip_str: "Rotate"
            visible: false
        }
    }

    DetailsView {
        id: details_wnd
        objectName: "details_wnd"
        y: title_bar.height
        width: parent.width
        height: parent.height - title_bar.height
        can_select: true
    }
}
