// The quick paste where the clipboard takes contents only from the focused window (a
// Wayland compositor without data control, GNOME's): written before the window hides, and
// confirmed, since a write the compositor refuses is simply cancelled.
#include "clipboard/qml_helper.h"

#include "clipboard/clipboard_list_model.h"
#include "item/clipboard_logging.h"
#include "clipboard/write_back.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

namespace {
constexpr int kChangeWaitMs = 1000;
// The compositor cancels a refused write within a frame or two.
constexpr int kRefusalWaitMs = 200;
} // namespace

bool CQmlHelper::quickPasteWritesBeforeHide() const
{
    return OsInstance()->ClipboardNeedsFocus();
}

bool CQmlHelper::writeWhileFocused(CCilpboardListModel *model, int index)
{
    if (!model || index < 0 || index >= model->rowCount())
        return false;
    CClipboardAbstract *watcher = OsInstance()->ClipboardWatcher();
    // A compositor may drop a write from a window without the keyboard focus without a
    // word (mutter does): only one made with the focus can be taken at its word.
    if (!QGuiApplication::focusWindow())
        return tellRefused();
    {
        QEventLoop loop;
        connect(watcher, &CClipboardAbstract::changed, &loop, &QEventLoop::quit);
        QTimer::singleShot(kChangeWaitMs, &loop, &QEventLoop::quit);
        WriteBack::Item(model->item(index), false);
        loop.exec();
    }
    QEventLoop settle;
    QTimer::singleShot(kRefusalWaitMs, &settle, &QEventLoop::quit);
    settle.exec();
    return watcher->ownsContents() || tellRefused();
}

bool CQmlHelper::tellRefused()
{
    qCWarning(lcClipboard) << "CQmlHelper::writeWhileFocused"
                           << "the desktop did not take the item onto the clipboard";
    OsInstance()->ShowNotice(QCoreApplication::translate(
        "Global", "The desktop did not let Tolvane put the item on the clipboard; nothing "
                  "was pasted."));
    return false;
}

void CQmlHelper::pasteWrittenItem()
{
    // The item stays on the clipboard afterwards: putting the newest one back would need
    // the focus as well.
    OsInstance()->SendPasteKeystroke();
}
