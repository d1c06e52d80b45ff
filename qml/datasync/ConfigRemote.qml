import QtQuick 2.14
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Layouts 1.12
import "../ctrls"
import "../FontVars.js" as FV

// The "Connect" page of the connection dialog: the other computer's address and password,
// then the attempt under way, then, when it failed, why.
StackLayout {
    id: sv

    // Four dotted decimal parts of 0 to 255; neither the any-address nor the loopback one.
    readonly property var ip_pattern: /^(?!0.0.0.0$)(?!127.0.0.1$)(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\.){3}(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)$/
    // The address typed, when it is one the dialog accepts; otherwise empty.
    readonly property string ip_addr: input_ip.acceptableInput ? input_ip.text : ""
    property int height_tabbar: 48
    property alias connecting_ip: input_ip.text
    // The link's port is the same on every host; only the dialog's tests point it at a
    // host of their own.
    property int link_port: 8121

    signal sigDoConnect(string ip, string pwd, int port)

    function connectFailed(msg) {
        failure.text = msg
        currentIndex = 2
        btn_retry.forceActiveFocus()
    }

    function tryConnect() {
        const ip = input_ip.text
        if (ip === "") {
            input_ip.forceActiveFocus()
            m_utilities.sigShowToast4Main(qsTranslate("Connection", "IP address required."))
            return
        }
        const refusal = m_connector.isConnectable(ip)
        if (refusal !== "") {
            m_utilities.sigShowToast4Main(refusal)
            return
        }
        sigDoConnect(ip, input_pwd.text, link_port)
    }

    currentIndex: 0

    // Page 0: the form.
    ColumnLayout {
        objectName: "page_form"
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            spacing: 4

            CAnimatedLineEdit {
                id: input_ip
                objectName: "input_ip"
                Layout.fillWidth: true
                placeholderText: qsTranslate("Connection", "IP address")
                inputMethodHints: Qt.ImhPreferNumbers
                selectByMouse: true
                text: String(m_ini.getIni(m_ini.connect_ip()) || "")
                validator: RegularExpressionValidator {
                    regularExpression: sv.ip_pattern
                }
                Keys.onReturnPressed: btn_connect.clickIfAcceptable()
                Keys.onEnterPressed: btn_connect.clickIfAcceptable()
            }
            ListViewBtn {
                id: btn_connect
                objectName: "btn_connect"
                length: 40
                text: FV.Connect
                tooltip_str: qsTranslate("Connection", "Connect")
                enabled: input_ip.acceptableInput
                onClicked: sv.tryConnect()

                function clickIfAcceptable() {
                    if (enabled)
                        clicked()
                }
            }
        }

        CAnimatedLineEdit {
            id: input_pwd
            objectName: "input_pwd"
            Layout.fillWidth: true
            Layout.rightMargin: btn_connect.width + 4
            echoMode: TextInput.Password
            placeholderText: qsTranslate("Connection", "Password")
            // The password is typed last: Enter there connects as well.
            Keys.onReturnPressed: btn_connect.clickIfAcceptable()
            Keys.onEnterPressed: btn_connect.clickIfAcceptable()
        }

        Item {
            Layout.fillHeight: true
        }
    }

    // Page 1: the attempt under way.
    Item {
        objectName: "page_connecting"

        Label {
            width: parent.width
            height: sv.height_tabbar
            text: qsTranslate("Connection", "Connecting").toUpperCase()
            font.pixelSize: 16
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        BusyIndicator {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: parent.verticalCenter
            anchors.verticalCenterOffset: 20
            running: sv.currentIndex === 1
        }
    }

    // Page 2: why it failed, said plainly, with a second attempt at hand; the dialog's
    // button goes back to the form.
    ColumnLayout {
        objectName: "page_failed"
        spacing: 8

        RowLayout {
            Layout.fillWidth: true
            Layout.topMargin: 4
            spacing: 10

            Label {
                objectName: "failure_icon"
                text: FV.Sad_face
                font.family: FV.FontIcon
                font.pixelSize: 28
                color: Material.color(Material.Red, m_const.isDark ? Material.Shade300
                                                                   : Material.Shade700)
            }
            Label {
                objectName: "failure_title"
                Layout.fillWidth: true
                text: qsTranslate("Connection", "Could not connect")
                font.pixelSize: 17
                font.bold: true
                wrapMode: Text.Wrap
            }
        }

        Flickable {
            id: failure_box
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentHeight: failure.implicitHeight
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds

            HoverHandler {
                id: failure_hover
            }

            TextArea.flickable: TextArea {
                id: failure
                objectName: "failure_text"
                readOnly: true
                selectByMouse: false
                wrapMode: TextArea.Wrap
                textFormat: TextEdit.PlainText
                font.pixelSize: 15
                leftPadding: 0
                rightPadding: 0
                color: Material.primaryTextColor
                background: Item {}
            }

            ScrollIndicator.vertical: ScrollIndicator {
                active: failure_hover.hovered
            }
        }

        Button {
            id: btn_retry
            objectName: "btn_retry"
            Layout.alignment: Qt.AlignRight
            text: qsTranslate("Connection", "Try again")
            highlighted: true
            flat: true
            onClicked: sv.tryConnect()
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()
        }
    }
}
