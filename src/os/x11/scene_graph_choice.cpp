#include "os/scene_graph_choice.h"
#include "os/os_logging.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QX11Info>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace SceneGraphChoice {

namespace {

constexpr char kUpdateIdleTime[] = "QT_QPA_UPDATE_IDLE_TIME";

bool HasExtension(xcb_connection_t *connection, const char *name)
{
    xcb_query_extension_reply_t *reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
}

} // namespace

bool UseSoftware(const Renderer &renderer)
{
    if (renderer.userChoice)
        return false;
    if (renderer.forcedSoftware)
        return true;
    // Without DRI the X server leaves Mesa nothing but its CPU renderers (Xvfb, Xvnc, a
    // virtual machine's plain framebuffer).
    return renderer.x11 && !renderer.directRendering;
}

void ChooseBeforeFirstWindow()
{
    Renderer renderer;
    renderer.userChoice = qEnvironmentVariableIsSet("QT_QUICK_BACKEND") ||
                          qEnvironmentVariableIsSet("QMLSCENE_DEVICE");
    const QByteArray gallium = qgetenv("GALLIUM_DRIVER");
    renderer.forcedSoftware =
        qgetenv("LIBGL_ALWAYS_SOFTWARE") == "1" || gallium == "llvmpipe" || gallium == "softpipe";
    // Only a program on an X server chooses: the offscreen platform (tests) cannot read a
    // software frame back, so it keeps OpenGL.
    renderer.x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    if (renderer.x11) {
        xcb_connection_t *connection = QX11Info::connection();
        renderer.directRendering =
            connection && (HasExtension(connection, "DRI3") || HasExtension(connection, "DRI2") ||
                           HasExtension(connection, "NV-GLX"));
    }
    const bool software = UseSoftware(renderer);
    if (software)
        QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    // Qt waits 5 ms before drawing a requested frame, to gather more events into it. A
    // typed key's frame costs about a millisecond, so that wait was most of the time
    // before the key showed; frames are still drawn one at a time. Qt reads the variable
    // at the first frame request.
    if (renderer.x11 && !qEnvironmentVariableIsSet(kUpdateIdleTime))
        qputenv(kUpdateIdleTime, "0");
    qCInfo(lcOs) << "scene graph:"
                 << (renderer.userChoice ? "the user's choice"
                     : software          ? "software, OpenGL would be a CPU renderer"
                                         : "OpenGL")
                 << "x11" << renderer.x11 << "direct rendering" << renderer.directRendering;
}

} // namespace SceneGraphChoice
