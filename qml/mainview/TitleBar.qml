import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"
import "../FontVars.js" as FV

// The menu and close buttons of the frameless window's title bar.
Row {
    id: root

    signal sigShowSettingsWnd()
    signal sigShowAboutWnd()
    signal sigShowConnect()
    signal sigShowBugReport()
    signal sigCloseWnd()
    // The menu has gone; whatever had the keyboard before may take it back.
    signal sigMenuClosed()

    property var menu: null

    function openMenu() {
        closeMenu()
        menu = menu_component.createObject(root)
        menu.open()
    }
    function closeMenu() {
        if (menu !== null)
            menu.close()
    }

    width: height * 2

    ListViewBtn {
        id: btn_menu
        objectName: "btn_menu"
        length: root.height
        text: FV.Menu
        // No tip over the open menu itself.
        tooltip_str: root.menu === null ? qsTranslate("MainView", "Menu") : ""
        onClicked: root.openMenu()
    }

    ListViewBtn {
        id: btn_close
        length: root.height
        text: FV.Close
        tooltip_str: qsTranslate("MainView", "Close")
        onClicked: root.sigCloseWnd()
    }

    Component {
        id: menu_component
        Menu {
            id: menu
            objectName: "title_menu"
            width: 200
            x: btn_menu.x - width
            transformOrigin: Menu.TopRight
            background: PopupBackground {
                radius: 3
            }
            font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto

            TitleMenuItem {
                text: qsTranslate("MainView", "Settings")
                onTriggered: root.sigShowSettingsWnd()
            }
            TitleMenuItem {
                text: qsTranslate("MainView", "Connection")
                onTriggered: root.sigShowConnect()
            }
            TitleMenuItem {
                text: qsTranslate("MainView", "Report a bug")
                onTriggered: root.sigShowBugReport()
            }
            TitleMenuItem {
                text: qsTranslate("MainView", "About")
                onTriggered: root.sigShowAboutWnd()
            }
            // Without a tray icon the menu is the only way to quit.
            TitleMenuItem {
                id: quit_item
                text: qsTranslate("MainView", "Quit")
                onTriggered: Qt.quit()
            }

            Component.onCompleted: {
                if (String(m_ini.getIni(m_ini.app_show_tray())) === "true")
                    removeItem(quit_item)
            }
            onClosed: {
                if (root.menu === menu)
                    root.menu = null
                menu.destroy()
                root.sigMenuClosed()
            }
        }
    }
}
