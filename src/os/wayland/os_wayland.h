#pragma once

#include "os/linux/os_linux.h"
#include "os/wayland/wayland_paste_keystroke.h"

// The operating-system layer on a Wayland compositor. What does not depend on the display
// server (autostart, file manager, file moves, theme, icons, processes, resize borders
// through the compositor) is the Linux backend's; the clipboard, the paste keystroke and the
// window placement are Wayland's own.
class COSWayland : public COSLinux
{
    Q_OBJECT
public:
    COSWayland();
    ~COSWayland() override;

    PasteOutcome SendPasteKeystroke() override;
    // Null: a Wayland program cannot place its windows; the compositor does.
    QScreen *ForegroundScreen() override;
    // Every Wayland compositor composites.
    bool isCompositingManagerRunning() override { return true; }
    bool ClipboardNeedsFocus() override;
    void ShowNotice(const QString &text) override;

protected:
    CClipboardAbstract *createClipboardWatcher() override;

private:
    WaylandPasteKeystroke m_paste;
    int m_dataControl = -1; // unknown until asked
};

// Whether the application runs as a Wayland client.
bool IsWaylandPlatform();
