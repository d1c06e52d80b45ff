#include "system_tray_icon.h"

#include "settings/app_identity.h"
#include "settings/settings_helper.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>

namespace {
constexpr int kIconSide = 64;
} // namespace

CSystemTrayIcon::CSystemTrayIcon(QObject *parent)
    : QSystemTrayIcon(QIcon(AppIdentity::kWindowIcon), parent), m_menu(std::make_unique<QMenu>())
{
    setToolTip(AppIdentity::kName);
    m_menu->addAction(QCoreApplication::translate("Global", "Show clipboard"), this,
                      &CSystemTrayIcon::SigShowClipboard);
    m_menu->addAction(QCoreApplication::translate("Global", "Show quick paste"), this,
                      &CSystemTrayIcon::SigShowQuickpaste);
    m_pauseAction = m_menu->addAction(QCoreApplication::translate("Global", "Pause capture"));
    m_pauseAction->setCheckable(true);
    connect(m_pauseAction, &QAction::triggered, this, &CSystemTrayIcon::SigPauseToggled);
    m_menu->addSeparator();
    m_menu->addAction(QCoreApplication::translate("Global", "Quit"), this,
                      &CSystemTrayIcon::SigQuit);
    setContextMenu(m_menu.get());
    connect(this, &QSystemTrayIcon::activated, this, &CSystemTrayIcon::onActivated);

    CSettingsHelper *ini = CSettingsHelper::instance();
    setVisible(ini->getIni(ini->app_show_tray()).toBool());
}

CSystemTrayIcon::~CSystemTrayIcon() = default;

void CSystemTrayIcon::setPaused(bool paused)
{
    m_pauseAction->setChecked(paused);
    QIcon icon(AppIdentity::kWindowIcon);
    if (paused) {
        // The mark, greyed, with a pause sign in its lower right quarter.
        const int side = kIconSide;
        QPixmap pixmap = icon.pixmap(side, side, QIcon::Disabled);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF badge(side * 0.45, side * 0.45, side * 0.55, side * 0.55);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd3, 0x2f, 0x2f));
        p.drawEllipse(badge);
        p.setBrush(Qt::white);
        const qreal bar_w = badge.width() * 0.16;
        const qreal bar_h = badge.height() * 0.5;
        const qreal top = badge.center().y() - bar_h / 2;
        p.drawRect(QRectF(badge.center().x() - bar_w * 1.5, top, bar_w, bar_h));
        p.drawRect(QRectF(badge.center().x() + bar_w * 0.5, top, bar_w, bar_h));
        p.end();
        icon = QIcon(pixmap);
    }
    setIcon(icon);
    setToolTip(paused ? QCoreApplication::translate("Global", "Tolvane (capture paused)")
                      : AppIdentity::kName);
}

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
