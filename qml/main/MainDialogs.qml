import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"
import "../mainview"
import "../settings"
import "../datasync"
import ".."

// The main window's dialogs and toast stack. Each exists only while it is shown: a loader
// creates it on demand and drops it when it closes. Dialogs sit centred over the window,
// and their dimmer covers only the visible window face.
Item {
    id: root

    property var wnd: null
    property var wnd_box: null
    property var toast_area: null
    property real toast_width: 0

    readonly property int min_w: m_const.wnd_min_width
    readonly property int min_h: m_const.wnd_min_height
    // Dialog sizes are measured in the nominal shadow width, 25: without a compositor no
    // shadow is drawn (shadow_len 0), yet the dialogs must keep their size.
    readonly property int shadow: 25

    function centre(dlg) {
        dlg.x = Qt.binding(function () { return Math.round((root.wnd.width - dlg.width) / 2) })
        dlg.y = Qt.binding(function () { return Math.round((root.wnd.height - dlg.height) / 2) })
    }

    function confirm(msg, func) {
        loader_confirm.active = true
        const dlg = loader_confirm.item
        dlg.msg = msg
        dlg.fun4Closed = func
        dlg.open()
    }

    function message(info, title, height) {
        loader_msg.active = true
        const dlg = loader_msg.item
        dlg.title = title
        dlg.info = info
        // The height asked for, or more when the text needs it, within the window.
        dlg.height = Math.min(Math.max(height, dlg.implicitHeight), root.min_h)
        dlg.open()
    }

    function toast(text, duration) {
        loader_toast.active = true
        loader_toast.item.show(text, duration)
    }

    function isMessageOpen() {
        return loader_msg.active
    }

    function settings() {
        if (loader_settings.active)
            return
        loader_settings.active = true
        loader_settings.item.open()
    }

    function about() {
        loader_about.active = true
    }

    function keymap() {
        loader_keymap_dlg.active = true
        loader_keymap_dlg.item.open()
    }

    function update(version_num, relnote_html) {
        loader_update.active = false
        loader_update.version_num = version_num
        loader_update.relnote_html = relnote_html
        loader_update.active = true
    }

    function config() {
        if (loader_config.active)
            return
        loader_config.active = true
        loader_config.item.open()
    }

    // Opens the progress dialog, then asks the host for the file.
    function download(ip, file_path, saving_path) {
        loader_dl.active = false
        loader_dl.active = true
        const dlg = loader_dl.item
        dlg.saving_path = saving_path
        dlg.ip_addr = ip
        dlg.file_name = m_utilities.getFileName(file_path)
        dlg.open()
        m_connector.downloadFile(ip, file_path, saving_path)
    }

    // A failing server ends every download; a failing link, the downloads from its host.
    function closeDownloadAfterError(ip, is_server) {
        if (loader_dl.item && (is_server || ip === loader_dl.item.ip_addr))
            loader_dl.item.close()
    }

    // A dialog still open in a hidden window waits on a link, a download or the user, so
    // such a window is kept rather than released.
    function anyOpen() {
        const loaders = [loader_confirm, loader_msg, loader_about, loader_settings, loader_config,
                         loader_dl, loader_update, loader_keymap_dlg]
        for (let i = 0; i < loaders.length; ++i) {
            if (loaders[i].item && loaders[i].item.visible)
                return true
        }
        return false
    }

    // A hidden window keeps no settings or about dialog open, nor the connection dialog
    // unless it is linking.
    function closeOnHide() {
        if (loader_settings.item)
            loader_settings.item.close()
        if (loader_about.item)
            loader_about.item.close()
        if (loader_config.item && !loader_config.item.isConnecting())
            loader_config.item.close()
    }

    Loader {
        id: loader_confirm
        active: false
        sourceComponent: ConfirmDlg {
            objectName: "confirm_dlg"
            parent: Overlay.overlay
            width: root.min_w - 15 * root.shadow
            height: root.min_h - 15 * root.shadow
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: {
                const answer = is_confirm
                const func = fun4Closed
                loader_confirm.active = false
                if (typeof func === "function")
                    func(answer)
            }
        }
    }

    Loader {
        id: loader_msg
        active: false
        sourceComponent: MsgBox {
            objectName: "msg_box"
            parent: Overlay.overlay
            width: root.min_w - 15 * root.shadow
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: loader_msg.active = false
        }
    }

    Loader {
        id: loader_about
        active: false
        sourceComponent: About {
            objectName: "about_dlg"
            parent: Overlay.overlay
            width: root.min_w - 5 * root.shadow
            height: root.min_h - 6 * root.shadow
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: loader_about.active = false
        }
    }

    Loader {
        id: loader_settings
        active: false
        sourceComponent: SettingsWnd {
            objectName: "settings_wnd"
            parent: Overlay.overlay
            width: root.min_w - 5 * root.shadow
            height: root.min_h - 5 * root.shadow
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onSigStackShowKeymapDlg: root.keymap()
            onClosed: loader_settings.active = false
        }
    }

    Loader {
        id: loader_config
        active: false
        sourceComponent: Config {
            objectName: "config_dlg"
            parent: Overlay.overlay
            width: root.min_w - 15 * root.shadow
            height: root.min_h - 12 * root.shadow
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: {
                saveSettings()
                loader_config.active = false
            }
        }
    }

    Loader {
        id: loader_dl
        active: false
        sourceComponent: DownloadingProgress {
            objectName: "download_dlg"
            parent: Overlay.overlay
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: loader_dl.active = false
        }
    }

    Loader {
        id: loader_update

        property string version_num: ""
        property string relnote_html: ""

        active: false
        sourceComponent: UpdatesFoundDlg {
            objectName: "update_dlg"
            parent: Overlay.overlay
            width: root.min_w - 7 * root.shadow
            height: root.min_h - 5 * root.shadow
            ver_num: loader_update.version_num
            relnote: loader_update.relnote_html
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onSigUpdateConfirmed: m_updater.downloadNewVersion()
            onClosed: loader_update.active = false
        }
    }

    Loader {
        id: loader_keymap_dlg
        active: false
        sourceComponent: KeymapDlg {
            objectName: "keymap_dlg"
            parent: Overlay.overlay
            Overlay.modal: OverlayCom {
                wnd_box: root.wnd_box
            }
            Component.onCompleted: root.centre(this)
            onClosed: loader_keymap_dlg.active = false
        }
    }

    Loader {
        id: loader_toast
        active: false
        parent: root.toast_area
        anchors.top: parent ? parent.top : undefined
        anchors.horizontalCenter: parent ? parent.horizontalCenter : undefined
        z: 9999
        sourceComponent: ToastManager {
            objectName: "toast_manager"
            width: root.toast_width
            toast_bg_clr: m_const.isDark ? "black" : "#cccccc"
            toast_text_clr: m_const.isDark ? "white" : "black"
            // The last toast removes itself from inside its own handler; the stack goes
            // once that handler has returned.
            onCountChanged: {
                if (count === 0)
                    Qt.callLater(function () {
                        if (loader_toast.item && loader_toast.item.count === 0)
                            loader_toast.active = false
                    })
            }
        }
    }
}
