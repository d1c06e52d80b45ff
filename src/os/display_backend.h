#pragma once

#include <QByteArray>

// Which of Qt's display backends the program runs on, decided before the application object
// exists (Qt reads QT_QPA_PLATFORM when it is created).
namespace DisplayBackend {

// What the start-up check found about the session.
struct Session
{
    bool wayland = false;        // a Wayland compositor answers
    bool platformForced = false; // QT_QPA_PLATFORM set or a -platform argument
    bool dataControl = false;    // the compositor lets programs follow the clipboard
    bool xDisplay = false;       // DISPLAY is set (XWayland)
};

// The platform to ask Qt for, or empty to leave Qt's own choice: X11 where the compositor
// would hide the clipboard from a Wayland client but XWayland is there, unless the user chose.
QByteArray Choose(const Session &session);

// Whether the arguments name a platform ("-platform x" or "-platform=x").
bool PlatformArgument(int argc, char **argv);

// Looks at the session (asking the compositor which protocols it offers) and sets
// QT_QPA_PLATFORM when Choose() says so; logs the decision.
void ChooseBeforeStart(int argc, char **argv);

} // namespace DisplayBackend
