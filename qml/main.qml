import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Layouts 1.12
import QtQuick.Window 2.12
import "ctrls"
import "mainview"
import "details"
import "main"
import "datasync"
import "FontVars.js" as FV

// The main window: search and item lists on the left, the current item's details on the
// right, the item's actions in the title bar. It owns the dialogs, the toasts and the
// window-wide keys; the work itself is done by the services in the context.
ApplicationWindow {
    id: root
    objectName: "main_wnd"

    // The window's opacity reports no change before the window first exists on screen, so
    // showing and hiding go through a property of our own that always does.
    property real face_opacity: 0

    function ensureVisible() {
        if (!visible) {
            // Shown first and handed to the window manager at once: it maps the window
            // while the rows and the details are made below, all before the first frame.
            face_opacity = 1
            if (!m_const.isWin)
                showNormal()
            m_utilities.sendWindowRequests()
            switchView2Local(false, true)
            const list = lists_container.getLocalMainList()
            list.positionViewAtBeginning()
            list.forceLayout()
        }
        update()
        raise()
        requestActivate()
    }

    function switchWndVisibility() {
        if (visible && active) {
            face_opacity = 0
        } else if (visible) {
            showNormal()
            raise()
            requestActivate()
        } else {
            ensureVisible()
        }
    }

    function clearDetailsViewContents() {
        details_wnd.clear()
        ctrl_btns.clear()
    }

    function showItemDetails(m, index) {
        // Only the list in view speaks for the panel: a row change of a hidden list (the
        // Pin list losing a row to an unpin in the Clipboard view) leaves it alone.
        const shown = lists_container.getCurModel()
        if (shown && m && m !== shown)
            return
        clearDetailsViewContents()
        if (index === -1 || !m || index >= m.rowCount())
            return
        details_wnd.visible = true
        const list = lists_container.getCurList()
        details_wnd.highlight_key = list ? list.filter_key : ""
        details_wnd.load(m, index)
        if (m.isLocal())
            ctrl_btns.load(m, index)
        else
            ctrl_btns.clear()
    }

    function updateCurDetails() {
        const list = lists_container.getCurList()
        if (list)
            showItemDetails(list.model, list.currentIndex)
    }

    function switchView2Local(reserve, is2main) {
        if (hosts_container.visible)
            hosts_container.updateCurHostBtn(0)
        if (reserve) {
            lists_container.switch2Local(false)
        } else if (is2main) {
            lists_container.switch2Local(true)
        } else {
            lists_container.switch2Local(false)
            lists_container.switch2LocalPin()
        }
        filter_box.switch2Local(!lists_container.getCurModel().isPin())
        lists_container.getCurList().forceActiveFocus()
        updateCurDetails()
    }

    function switchView2Remote(ip) {
        hosts_container.updateCurHostBtn(m_connector.getHostsIndex(ip) + 1)
        lists_container.switch2Ip(ip)
        filter_box.switch2Ip(ip)
        lists_container.getCurList().forceActiveFocus()
        updateCurDetails()
    }

    // The list a search field belongs to, by the field's view.
    function listForFilter(is_main) {
        return is_main ? lists_container.lsv.main_view : lists_container.lsv.pin_view
    }

    opacity: face_opacity
    visible: face_opacity != 0
    width: m_const.wnd_min_width
    height: m_const.wnd_min_height
    minimumWidth: m_const.wnd_min_width
    minimumHeight: m_const.wnd_min_height
    flags: m_const.isWin ? Qt.FramelessWindowHint | Qt.Window | Qt.WindowMinimizeButtonHint
                         : Qt.Window
    title: m_const.isWin ? "" : m_const.app_name
    // See-through only where the face has a shadow margin, which needs a compositor:
    // without one, a translucent window would show black until its first frame.
    color: main_box.shadow_len > 0 ? "transparent" : Material.background
    font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto

    Material.theme: m_const.theme
    Material.accent: m_const.isDark ? m_const.color_accent_dark : Material.Pink
    Material.background: m_const.isDark ? m_const.color_background_dark : undefined

    // The window fades out as it hides; it shows at once, as the user waits for it.
    Behavior on face_opacity {
        enabled: m_const.isWin && root.face_opacity > 0
        NumberAnimation {
            duration: 120
            alwaysRunToEnd: true
        }
    }

    onVisibleChanged: {
        if (visible) {
            timer_hidden.restart()
            update()
            return
        }
        filter_box.clearFilter()
        m_const.main_wnd_visible = false
        if (title_btns.item)
            title_btns.item.closeMenu()
        dialogs.closeOnHide()
        // A hidden window holds no picture or long text; the next show fills the panel anew.
        clearDetailsViewContents()
        m_utilities.cleanEngineCache(root)
    }

    // False while a dialog is open: the window is then kept when hidden.
    function canRelease() {
        return !visible && !dialogs.anyOpen()
    }

    // Created when first shown, or again after it was released: hosts linked meanwhile get
    // their pages and search fields now.
    Component.onCompleted: {
        if (m_connector.getHostsCount() > 0)
            connector_connections.onSigUpdateConnection()
    }

    // A close from the window manager hides the window like the close button does, so
    // that the next show request finds it hidden in the usual way.
    onClosing: {
        close.accepted = false
        face_opacity = 0
    }

    // Rows change without animation until the window has been shown for a moment.
    Timer {
        id: timer_hidden
        interval: 1000
        onTriggered: m_const.main_wnd_visible = root.visible
    }

    WndContainer {
        id: main_box

        MouseWndMover {
            objectName: "wnd_mover"
            wnd_move_target: root
            wnd_anchor: main_box
            wnd_offset: main_box.shadow_len
        }

        Column {
            id: layout_root
            anchors.fill: parent
            clip: true

            HalfRadiusRt {
                id: title_bar
                z: 1
                width: parent.width
                height: m_const.title_height
                radius: main_box.radius
                color: Qt.darker(root.Material.background, 1.05)

                RowLayout {
                    id: lay_titlebar
                    anchors.fill: parent
                    spacing: 0

                    ListFilter {
                        id: filter_box
                        objectName: "filter_box"
                        Layout.preferredWidth: 350
                        Layout.fillHeight: true
                        onSigSwitchViewBtnClicked: root.switchView2Local(false,
                                                                         !is_pin_btn_checked)
                        onFilterLocalTextChanged: root.listForFilter(is_main).applyFilterKey(text)
                        onFilterRemoteTextChanged: {
                            const list = lists_container.getCurList()
                            if (!lists_container.isLocalView() && list.model.getIp() === ip)
                                list.applyFilterKey(text)
                        }
                    }
                    Item {
                        Layout.preferredWidth: m_const.main_list_left_padding / 2
                    }
                    ControlsContainer {
                        id: ctrl_btns
                        objectName: "ctrl_btns"
                        Layout.preferredWidth: implicitWidth
                        Layout.fillHeight: true
                        onSigActionDone: lists_container.getCurList().forceActiveFocus()
                    }
                    Item {
                        Layout.fillWidth: true
                    }
                    Loader {
                        id: title_btns
                        active: m_const.isWin
                        Layout.preferredWidth: lay_titlebar.height * 2
                        Layout.fillHeight: true
                        sourceComponent: TitleBar {
                            onSigShowSettingsWnd: dialogs.settings()
                            onSigShowAboutWnd: dialogs.about()
                            onSigShowConnect: dialogs.config()
                            onSigShowBugReport: Qt.openUrlExternally(m_const.url_report_bug)
                            onSigCloseWnd: root.switchWndVisibility()
                            onSigMenuClosed: lists_container.getCurList().forceActiveFocus()
                        }
                    }
                    Item {
                        Layout.preferredWidth: main_box.radius
                    }
                }
            }

            Row {
                id: contents_box
                x: main_box.border.width
                width: parent.width - 2 * main_box.border.width
                height: parent.height - title_bar.height - main_box.border.width
                clip: true
                spacing: 0

                Column {
                    id: list_hosts_column
                    width: filter_box.width
                    height: parent.height

                    ListContainer {
                        id: lists_container
                        objectName: "lists_container"
                        width: parent.width
                        height: parent.height - hosts_container.height
                        onCurrentIndexChanged: root.updateCurDetails()
                    }

                    HostsContainer {
                        id: hosts_container
                        objectName: "hosts_container"
                        width: parent.width
                        btn_color: title_bar.color
                        onSigSwitch2Local: root.switchView2Local(true)
                        onSigSwitch2Ip: root.switchView2Remote(ip)
                    }
                }

                DetailsView {
                    id: details_wnd
                    objectName: "details_wnd"
                    width: parent.width - list_hosts_column.width
                    height: parent.height
                }
            }
        }

        MainDialogs {
            id: dialogs
            objectName: "dialogs"
            wnd: root
            wnd_box: main_box
            toast_area: main_box
            toast_width: lists_container.width
        }
    }

    MainActions {
        id: actions
        wnd: root
        lists: lists_container
        filter: filter_box
        dialogs: dialogs
    }

    MainConnectorConnections {
        id: connector_connections
        objectName: "connector_connections"
        wnd: root
        lists: lists_container
        filter: filter_box
        hosts: hosts_container
        dialogs: dialogs
    }

    MainUpdaterConnections {
        objectName: "updater_connections"
        dialogs: dialogs
    }

    MainUtilityConnections {
        wnd: root
        lists: lists_container
        filter: filter_box
        dialogs: dialogs
    }

    ShortcutWrap {
        onSigSwitchWndFocus: actions.switchFocus()
        onSigClose: root.switchWndVisibility()
        onSigInfo: actions.info()
        onSigDel: actions.del()
        onSigDelAll: actions.delAll()
        onSigCopy: actions.activate()
        onSigConnection: dialogs.config()
        onSigFind: filter_box.activeFilter()
        onSigPreference: dialogs.settings()
        onSigPin: actions.pin()
        onSigMoveCurItem: actions.move(is_up)
        onSigMoveCurItemPage: actions.movePage(is_up)
        onSigKeyLeftRight: actions.leftRight(to_right)
    }
}
