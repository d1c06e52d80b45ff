import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Layouts 1.12
import "../ctrls"

// The settings dialog: a General and a Clipboard page. Values are written when the
// dialog is accepted; a change that only takes effect after a restart turns OK into
// Restart.
Dialog {
    id: root
    background: PopupBackground {}

    property bool is_restart_required: false
    // Which control asks for a restart at the moment: control name → bool.
    property var restart_component: ({})
    property alias cur_index: tab_bar.currentIndex

    signal sigStackShowKeymapDlg()

    function recordRestartNeed(component, is_need) {
        const record = restart_component
        record[component] = is_need
        restart_component = record
        is_restart_required = Object.keys(record).some(function (k) { return record[k] })
    }

    title: qsTr("Settings")
    modal: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    margins: 0
    padding: 0

    Behavior on x {
        NumberAnimation {
            duration: 150
        }
    }
    Behavior on y {
        NumberAnimation {
            duration: 150
        }
    }

    header: TabBar {
        id: tab_bar
        objectName: "settings_tabs"
        width: root.width
        height: 48

        TabButton {
            objectName: "tab_general"
            height: tab_bar.height
            text: qsTr("General")
            font.pixelSize: 14
        }
        TabButton {
            objectName: "tab_clipboard"
            height: tab_bar.height
            text: qsTr("Clipboard")
            font.pixelSize: 14
        }
    }

    contentItem: StackLayout {
        currentIndex: tab_bar.currentIndex

        SettingsWnd4General {
            id: wnd_general
            objectName: "wnd_general"
            onSigRestartNeeded: root.recordRestartNeed(component, is_need)
        }
        SettingsWnd4Stack {
            id: wnd_stack
            objectName: "wnd_stack"
            onSigShowKeysDlg: root.sigStackShowKeymapDlg()
        }
    }

    footer: DialogButtonBox {
        implicitHeight: 52
        font.pixelSize: 14
        buttonLayout: m_const.isWin ? DialogButtonBox.WinLayout : DialogButtonBox.MacLayout

        Button {
            objectName: "settings_ok"
            implicitWidth: Math.max(75, implicitContentWidth + leftPadding + rightPadding)
            flat: true
            text: root.is_restart_required ? qsTr("Restart") : qsTranslate("Global", "OK")
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
        Button {
            objectName: "settings_cancel"
            implicitWidth: Math.max(75, implicitContentWidth + leftPadding + rightPadding)
            flat: true
            text: qsTranslate("Global", "Cancel")
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }

    // The hot keys stay off while the page where they are recorded is shown, so that a
    // press reaches the field instead of opening a window.
    onCur_indexChanged: m_utilities.sigSetGlobalShortcutEnable(cur_index !== 1)

    onAccepted: {
        wnd_general.saveSettings()
        wnd_stack.saveSettings()
        if (is_restart_required)
            m_utilities.sigRestart()
        else
            m_utilities.sigUpdateTrayIconStatus()
    }

    // Whatever button closed it: a row height that was only tried out is undone, and
    // the hot keys come back with the keys now stored.
    onClosed: {
        m_ini.sigQuickpasteItemHeightChanged(
                    Number(m_ini.getIni(m_ini.stack_quickview_item_height())))
        m_utilities.sigSetGlobalShortcutEnable(true)
    }
}
