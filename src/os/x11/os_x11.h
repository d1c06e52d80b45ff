#pragma once

#include "os/linux/os_linux.h"

// The operating-system layer on an X11 display (XWayland included): the clipboard, the paste
// keystroke, drag data and the active window go through the X server; the rest is the Linux
// base's.
class COSX11 : public COSLinux
{
    Q_OBJECT
public:
    COSX11();
    ~COSX11() override;

    PasteOutcome SendPasteKeystroke() override;
    void rememberPasteTarget() override;
    void serveDragData(QMimeData *mime) override;
    QScreen *ForegroundScreen() override;
    void watchDisplayConnection() override;
    void sendWindowRequests() override;

protected:
    CClipboardAbstract *createClipboardWatcher() override;
};
