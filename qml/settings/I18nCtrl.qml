import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"

// The interface language. Language names are shown in their own language, untranslated.
ComboBox {
    id: control
    popup.background: PopupBackground {}

    // The stored language code; empty means: follow the system.
    readonly property string stored_qm: String(m_ini.getIni(m_ini.app_i18n()))

    signal sigRestartNeeded(bool is_need)

    function saveSettings() {
        m_ini.setIni(m_ini.app_i18n(), model.get(currentIndex).qm)
    }
    function indexOfStored() {
        if (stored_qm === "" || stored_qm === "en")
            return 0
        for (let i = 0; i < model.count; ++i) {
            if (model.get(i).qm === stored_qm)
                return i
        }
        return 0
    }

    textRole: "key"
    model: ListModel {
        ListElement {
            qm: "en"
            key: "English"
        }
        ListElement {
            qm: "zh_CN"
            key: "简体中文"
        }
    }

    delegate: ItemDelegate {
        width: control.width
        height: 48
        text: key
        font.pixelSize: 16
        highlighted: control.highlightedIndex === index
        Material.foreground: control.currentIndex === index ? Material.accent
                                                            : control.Material.foreground
    }

    Component.onCompleted: currentIndex = indexOfStored()

    onCurrentIndexChanged: {
        if (currentIndex < 0)
            return
        const chosen = model.get(currentIndex).qm
        sigRestartNeeded(stored_qm === "" ? chosen !== "en" : chosen !== stored_qm)
    }
}
