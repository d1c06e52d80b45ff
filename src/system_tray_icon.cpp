#include "system_tray_icon.h"

#include "settings/app_identity.h"
#include "settings/settings_helper.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>

CSystemTrayIcon::CSystemTrayIcon(QObject *parent)
    : QSystemTrayIcon(QIcon(AppIdentity::kWindowIcon), parent), m_menu(std::make_unique<QMenu>())
{
    setToolTip(AppIdentity::kName);
    m_menu->addAction(QCoreApplication::translate("Global", "Show clipboard"), this,
                      &CSystemTrayIcon::SigShowClipboard);
    m_menu->addAction(QCoreApplication::translate("Global", "Show quick paste"), this,
                      &CSystemTrayIcon::SigShowQuickpaste);
    m_menu->addSeparator();
    m_menu->addAction(QCoreApplication::translate("Global", "Quit"), this,
                      &CSystemTrayIcon::SigQuit);
    setContextMenu(m_menu.get());
    connect(this, &QSystemTrayIcon::activated, this, &CSystemTrayIcon::onActivated);

    CSettingsHelper *ini = CSettingsHelper::instance();
    setVisible(ini->getIni(ini->app_show_tray()).toBool());
}

CSystemTrayIcon::~CSystemTrayIcon() = default;

void CSystemTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Context:
        // The XEmbed tray pops the menu up itself before it reports the request.
        if (!m_menu->isVisible())
            m_menu->popup(QCursor::pos());
        break;
    case QSystemTrayIcon::Trigger:
        emit SigShowClipboard();
        break;
    default:
        break;
    }
}
