#pragma once

#include <QByteArray>

// Which Qt Quick scene graph backend draws our windows. Where OpenGL is only a software
// renderer (Mesa's llvmpipe, softpipe or swrast), Qt Quick's own software backend shows a
// window several times faster and keeps LLVM out of the process; a real GPU keeps OpenGL.
namespace SceneGraphChoice {

// What was found about the session's OpenGL, without loading any OpenGL library.
struct Renderer
{
    bool userChoice = false;      // QT_QUICK_BACKEND (or the older QMLSCENE_DEVICE) is set
    bool forcedSoftware = false;  // LIBGL_ALWAYS_SOFTWARE, or GALLIUM_DRIVER names a CPU driver
    bool x11 = false;             // the program draws through an X server
    bool directRendering = false; // the X server offers DRI3, DRI2 or NVIDIA's own GLX
};

// Whether the software backend should draw, by the rules above; the user's choice wins.
bool UseSoftware(const Renderer &renderer);

// Looks at the environment and the X server (extension queries only) and selects the
// backend; must run after the application object and before the first Qt Quick window.
// On an X server it also has requested frames drawn without Qt's wait of 5 ms, unless
// QT_QPA_UPDATE_IDLE_TIME is set.
void ChooseBeforeFirstWindow();

} // namespace SceneGraphChoice
