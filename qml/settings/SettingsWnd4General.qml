import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"
import "../FontVars.js" as FV

// The General page: theme, language, updates, start-up, tray icon and the reset of all
// settings.
Column {
    id: root

    signal sigRestartNeeded(string component, bool is_need)

    function isTrue(key) {
        return String(m_ini.getIni(key)) === "true"
    }

    function saveSettings() {
        m_ini.setIni(m_ini.app_theme_color(), light.checked)
        i18n.saveSettings()
        if (!m_const.isUWP) {
            m_ini.setIni(m_ini.app_autoupdate(), autoupdate.checked)
            m_ini.setIni(m_ini.app_autorun(), startup.checked)
            m_ini.startupSetup(startup.checked)
        }
        if (m_const.isWin)
            m_ini.setIni(m_ini.app_show_tray(), tray.checked)
    }

    spacing: 5
    leftPadding: 16
    rightPadding: 16

    Row {
        height: 48

        Label {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Theme") + ":"
            font.pixelSize: 14
        }
        RadioButton {
            id: light
            objectName: "theme_light"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Light")
            font.pixelSize: 14
            checked: !m_const.isDark
            // The running theme is fixed at start; any other choice needs a restart.
            onCheckedChanged: root.sigRestartNeeded("theme", checked === m_const.isDark)
        }
        RadioButton {
            objectName: "theme_dark"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Dark")
            font.pixelSize: 14
            checked: m_const.isDark
        }
    }

    Row {
        height: 48
        spacing: 8

        I18nCtrl {
            id: i18n
            objectName: "i18n"
            width: 120
            height: 48
            font.pixelSize: 14
            onSigRestartNeeded: root.sigRestartNeeded("i18n", is_need)
        }
        Label {
            anchors.verticalCenter: parent.verticalCenter
            text: FV.I18n
            font.family: FV.FontIcon
            font.pixelSize: 16
            color: Material.secondaryTextColor
        }
    }

    Row {
        height: 48
        visible: !m_const.isUWP

        CheckBox {
            id: autoupdate
            objectName: "autoupdate"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Update automatically")
            font.pixelSize: 14
            checked: root.isTrue(m_ini.app_autoupdate())
        }
        Button {
            id: check_now
            objectName: "check_updates"
            anchors.verticalCenter: parent.verticalCenter
            flat: true
            font.pixelSize: 14
            state: m_updater.is_updating ? "rolling" : "normal"
            onClicked: Qt.callLater(function () { m_updater.updateSilently() })

            contentItem: Row {
                spacing: 6

                Text {
                    id: refresh_glyph
                    anchors.verticalCenter: parent.verticalCenter
                    text: FV.Refresh
                    font.family: FV.FontIcon
                    font.pixelSize: 16
                    color: check_now.enabled ? check_now.Material.foreground
                                             : check_now.Material.hintTextColor
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Check for updates")
                    font: check_now.font
                    color: refresh_glyph.color
                }
            }

            states: [
                State {
                    name: "rolling"
                    PropertyChanges {
                        target: check_now
                        enabled: false
                    }
                },
                State {
                    name: "normal"
                    PropertyChanges {
                        target: check_now
                        enabled: true
                    }
                }
            ]
            transitions: [
                Transition {
                    to: "rolling"
                    NumberAnimation {
                        target: refresh_glyph
                        property: "rotation"
                        from: 0
                        to: 360
                        duration: 2000
                        loops: Animation.Infinite
                    }
                },
                Transition {
                    to: "normal"
                    NumberAnimation {
                        target: refresh_glyph
                        property: "rotation"
                        to: 0
                        duration: 1000
                        easing.type: Easing.OutBack
                    }
                }
            ]
        }
    }

    Row {
        height: 48
        visible: !m_const.isUWP

        CheckBox {
            id: startup
            objectName: "startup"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Run at system start")
            font.pixelSize: 14
            checked: root.isTrue(m_ini.app_autorun())
        }
    }

    Item {
        width: root.width - root.leftPadding - root.rightPadding
        height: 48
        visible: m_const.isWin

        CheckBox {
            id: tray
            objectName: "tray"
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("Show tray icon")
            font.pixelSize: 14
            checked: root.isTrue(m_ini.app_show_tray())
        }

        // Reset asks once more in place: the single button gives way to a confirming pair.
        Button {
            id: reset
            objectName: "reset"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            flat: true
            font.pixelSize: 14
            text: qsTr("Reset")
            visible: opacity !== 0
            Behavior on opacity {
                NumberAnimation {
                    duration: 200
                }
            }
            onClicked: {
                opacity = 0
                confirm_row.opacity = 1
            }
        }
        Row {
            id: confirm_row
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            opacity: 0
            visible: opacity !== 0
            Behavior on opacity {
                NumberAnimation {
                    duration: 200
                }
            }

            BtnWithIcon {
                objectName: "reset_yes"
                flat: true
                highlighted: true
                icon_text: FV.Restart
                display_text: qsTr("Reset")
                onClicked: m_ini.reset()
            }
            Button {
                objectName: "reset_no"
                flat: true
                font.pixelSize: 14
                text: qsTr("Cancel")
                onClicked: {
                    confirm_row.opacity = 0
                    reset.opacity = 1
                }
            }
        }
    }
}
