#pragma once

#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QMenu;

// The notification-area icon with its menu: "Show clipboard", "Show quick paste", "Pause
// capture" and "Quit". A click on the icon shows the main window; balloon messages go through it.
// It is shown or hidden according to the app_show_tray setting.
class CSystemTrayIcon : public QSystemTrayIcon
{
    Q_OBJECT
public:
    explicit CSystemTrayIcon(QObject *parent = nullptr);
    ~CSystemTrayIcon() override;

    QMenu *menu() const { return m_menu.get(); }
    // Ticks the menu entry and marks the icon while capture is paused.
    void setPaused(bool paused);

signals:
    void SigQuit();
    void SigShowClipboard();
    void SigShowQuickpaste();
    void SigPauseToggled(bool paused);

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QMenu> m_menu;
    QAction *m_pauseAction = nullptr;
};
