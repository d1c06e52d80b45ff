import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "ctrls"
import "FontVars.js" as FV

// The About dialog: the turning logo, name, version, slogan and the maker's links.
Dialog {
    id: root
    background: PopupBackground {}

    readonly property bool is_dark: Material.theme === Material.Dark

    modal: true
    focus: true
    padding: 0
    Component.onCompleted: open()

    contentItem: Row {
        Item {
            width: root.width / 2
            height: parent.height

            Image {
                id: logo
                objectName: "about_logo"
                anchors.centerIn: parent
                width: Math.min(parent.width, parent.height) * 0.8
                height: width
                source: "qrc:/logo/256.png"
                sourceSize: Qt.size(256, 256)
                transform: Rotation {
                    id: turn
                    origin.x: logo.width / 2
                    origin.y: logo.height / 2
                    axis { x: 0; y: 1; z: 0 }
                }

                NumberAnimation {
                    id: turning
                    target: turn
                    property: "angle"
                    duration: 1800
                    easing.type: Easing.OutBounce
                    easing.amplitude: 2
                    easing.period: 1.5
                }

                MouseArea {
                    anchors.fill: parent
                    // A full turn towards the side that was clicked; clicks while turning
                    // are ignored.
                    onClicked: {
                        if (turning.running)
                            return
                        turning.from = turn.angle
                        turning.to = turn.angle + (mouse.x < width / 2 ? -360 : 360)
                        turning.start()
                    }
                }
            }
        }

        Column {
            width: root.width / 2
            anchors.verticalCenter: parent.verticalCenter
            spacing: 12

            Column {
                spacing: 2

                Label {
                    id: app_name
                    text: m_const.app_name
                    font.pixelSize: 36
                    font.bold: true
                    font.family: FV.FontRoboto
                    opacity: 0.9
                }
                TextMetrics {
                    id: first_letters
                    font: app_name.font
                    text: m_const.app_name.substring(0, 3)
                }
                Rectangle {
                    width: first_letters.width
                    height: 3
                    color: app_name.color
                    opacity: app_name.opacity
                }
            }

            Item {
                width: 60
                height: 24

                SoftShadow {
                    anchors.fill: badge
                    spread: 3
                    cornerRadius: badge.radius
                    color: "black"
                    strength: 0.35
                }
                Rectangle {
                    id: badge
                    anchors.fill: parent
                    radius: height / 2
                    color: root.is_dark ? root.Material.accent : "#fb2d54"

                    Label {
                        anchors.centerIn: parent
                        text: m_const.app_ver
                        color: "white"
                        font.pixelSize: 15
                    }
                }
            }

            Label {
                text: qsTr("A decent stack\nA better clipboard manager")
                font.pixelSize: 18
                font.weight: Font.Light
                lineHeight: 1.25
                color: root.Material.secondaryTextColor
            }

            Row {
                spacing: 8

                AboutBtn {
                    objectName: "about_social"
                    text: m_const.isChina ? FV.Weibo : FV.Twitter
                    onClicked: Qt.openUrlExternally(m_const.url_twitter)
                }
                AboutBtn {
                    objectName: "about_contact"
                    text: FV.About_email
                    tooltip_str: qsTr("Contact")
                    onClicked: {
                        const address = String(m_const.url_emial_addr)
                        Qt.openUrlExternally(address.indexOf("mailto:") === 0
                                             ? address : "mailto:" + address)
                    }
                }
                AboutBtn {
                    objectName: "about_home"
                    text: FV.About_home
                    tooltip_str: qsTr("Homepage")
                    onClicked: Qt.openUrlExternally(m_const.url_home)
                }
                AboutBtn {
                    objectName: "about_designer"
                    text: FV.Dribble
                    tooltip_str: qsTr("Designer")
                    onClicked: Qt.openUrlExternally(m_const.url_designer)
                }
                AboutBtn {
                    objectName: "about_contributor"
                    text: FV.Heart
                    tooltip_str: qsTr("Contributor")
                }
            }
        }
    }
}
