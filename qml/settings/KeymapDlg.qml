import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"
import "../FontVars.js" as FV

// The keys of the main window, with a button that copies the table as HTML.
Dialog {
    id: root
    background: PopupBackground {}

    // A key sequence as the platform writes it.
    function nativeText(sequence) {
        native_probe.sequence = sequence
        return native_probe.nativeText
    }

    // Built once: reading key texts goes through the probe, which a binding would loop on.
    property var rows: []

    function buildRows() {
        return [
        { name: qsTranslate("SettingsWnd4Stack", "Switch view:"),
          keys: nativeText(m_const.sc_switch2cb) + "/" + nativeText(m_const.sc_switch2pin)
                + ", A/D" },
        { name: qsTranslate("SettingsWnd4Stack", "Switch item:"), keys: "Up/Down , W/S" },
        { name: qsTranslate("SettingsWnd4Stack", "Pin:"),
          keys: nativeText(m_const.sc_pin_item_enter) + "/"
                + nativeText(m_const.sc_pin_item_return) },
        { name: qsTranslate("SettingsWnd4Stack", "Activate item:"),
          keys: nativeText(m_const.sc_activate_item) },
        { name: qsTranslate("SettingsWnd4Stack", "Delete:"),
          keys: nativeText(m_const.sc_del_item) + ", " + nativeText("Delete") },
        { name: qsTranslate("SettingsWnd4Stack", "Clear history:"),
          keys: nativeText(m_const.sc_rm_model_data) },
        { name: qsTranslate("SettingsWnd4Stack", "Search:"), keys: nativeText(StandardKey.Find) },
        { name: qsTranslate("SettingsWnd4Stack", "Connection:"),
          keys: nativeText(m_const.sc_connector) },
        { name: qsTranslate("SettingsWnd4Stack", "Close:"), keys: nativeText("Ctrl+W") },
        { name: qsTranslate("SettingsWnd4Stack", "Settings:"),
          keys: nativeText(m_const.isWin ? "Ctrl+," : StandardKey.Preferences) },
        { name: qsTranslate("SettingsWnd4Stack", "Info:"), keys: nativeText("Ctrl+I") }
        ]
    }

    function tableHtml() {
        let html = "<ul>"
        for (let i = 0; i < rows.length; ++i)
            html += "<li>" + " " + rows[i].name + " " + rows[i].keys + "</li><br/>"
        return html + "</ul><br/>"
    }

    Component.onCompleted: rows = buildRows()

    width: 350
    height: 400
    modal: true
    focus: true
    clip: true

    Shortcut {
        id: native_probe
        enabled: false
    }

    contentItem: ScrollView {
        id: scroll
        contentHeight: 480
        ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
        ScrollBar.vertical.policy: ScrollBar.AlwaysOn
        ScrollBar.vertical.interactive: false

        Column {
            spacing: 15

            Repeater {
                model: root.rows
                delegate: Row {
                    Label {
                        width: root.width / 2
                        text: modelData.name
                        font.pixelSize: 14
                    }
                    Label {
                        width: root.width / 2
                        text: modelData.keys
                        font.pixelSize: 14
                    }
                }
            }
        }
    }

    ListViewBtn {
        objectName: "keymap_copy"
        parent: root.contentItem
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.rightMargin: 16
        length: 40
        text: FV.Copy
        onClicked: m_utilities.copyHtml(root.tableHtml())
    }
}
