#pragma once

#include <QDBusConnection>
#include <QString>

// Key presses through the RemoteDesktop interface of xdg-desktop-portal, for compositors
// without virtual keyboards (GNOME, Plasma). The desktop asks the user once per run
// whether the program may control the keyboard; the session then lasts until the program
// ends.
class RemoteDesktopKeyboard
{
public:
    explicit RemoteDesktopKeyboard(const QDBusConnection &bus);

    // Whether the desktop's portal has the interface at all.
    bool available();
    // Ctrl+V; starts the session first (the desktop may ask the user, which is waited for
    // within a bound). False when there is no session to send it through.
    bool sendPaste();

private:
    bool startSession();
    bool sendKeysym(int keysym, bool pressed);

    QDBusConnection m_bus;
    int m_available = -1; // unknown until asked
    QString m_session;
    bool m_refused = false;
};
