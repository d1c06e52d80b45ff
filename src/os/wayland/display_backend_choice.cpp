#include "os/display_backend.h"

#include "os/os_logging.h"
#include "os/wayland/wayland_connection.h"

#include <cstring>

namespace DisplayBackend {

QByteArray Choose(const Session &session)
{
    if (!session.wayland || session.platformForced || session.dataControl || !session.xDisplay)
        return QByteArray();
    return QByteArrayLiteral("xcb");
}

bool PlatformArgument(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "-platform") == 0 || std::strcmp(arg, "--platform") == 0 ||
            std::strncmp(arg, "-platform=", 10) == 0 || std::strncmp(arg, "--platform=", 11) == 0)
            return true;
    }
    return false;
}

void ChooseBeforeStart(int argc, char **argv)
{
    Session session;
    session.platformForced =
        !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || PlatformArgument(argc, argv);
    session.xDisplay = !qEnvironmentVariableIsEmpty("DISPLAY");
    // Only a question worth asking: a forced platform or a missing X display settles it.
    if (session.platformForced || !session.xDisplay ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    const std::unique_ptr<WaylandConnection> connection = WaylandConnection::Open();
    session.wayland = bool(connection);
    session.dataControl = connection && connection->offersDataControl();
    const QByteArray platform = Choose(session);
    if (platform.isEmpty()) {
        qCDebug(lcOs) << "display backend: Qt's choice; data control" << session.dataControl;
        return;
    }
    qCInfo(lcOs) << "display backend: the compositor offers no data control, so Tolvane runs "
                    "through XWayland (QT_QPA_PLATFORM=xcb) to follow the clipboard; set "
                    "QT_QPA_PLATFORM to choose otherwise";
    qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace DisplayBackend
