// The quick paste sequence: write, wait for the clipboard, keystroke. Where the clipboard
// takes contents only from the focused window (a Wayland compositor without data control,
// GNOME's) the item is written before the window hides, and confirmed, since a write the
// compositor refuses is simply cancelled.
#include "clipboard/quick_paste.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/write_back.h"
#include "item/clipboard_logging.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "settings/settings_helper.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>

namespace {
// The clipboard normally reports within one poll; never hang the paste on a lost event.
constexpr int kClipboardWaitMs = 1000;
// The compositor cancels a refused write within a frame or two.
constexpr int kRefusalWaitMs = 200;
// Says that the desktop did not take the item; false.
bool TellRefused()
{
    qCWarning(lcClipboard) << "QuickPaste::WriteWhileFocused"
                           << "the desktop did not take the item onto the clipboard";
    OsInstance()->ShowNotice(QCoreApplication::translate(
        "Global", "The desktop did not let Tolvane put the item on the clipboard; nothing "
                  "was pasted."));
    return false;
}

// Puts the row's item on the clipboard and waits until the clipboard reports a change.
void WriteAndWait(const CCilpboardListModel &model, int index)
{
    QEventLoop loop;
    QObject::connect(OsInstance()->ClipboardWatcher(), &CClipboardAbstract::changed, &loop,
                     &QEventLoop::quit);
    QTimer::singleShot(kClipboardWaitMs, &loop, &QEventLoop::quit);
    WriteBack::Item(model.item(index), false);
    loop.exec();
}
} // namespace

namespace QuickPaste {

bool WritesBeforeHide()
{
    return OsInstance()->ClipboardNeedsFocus();
}

bool WriteWhileFocused(CCilpboardListModel *model, int index)
{
    if (!model || index < 0 || index >= model->rowCount())
        return false;
    CClipboardAbstract *watcher = OsInstance()->ClipboardWatcher();
    // A compositor may drop a write from a window without the keyboard focus without a
    // word (mutter does): only one made with the focus can be taken at its word.
    if (!QGuiApplication::focusWindow())
        return TellRefused();
    WriteAndWait(*model, index);
    QEventLoop settle;
    QTimer::singleShot(kRefusalWaitMs, &settle, &QEventLoop::quit);
    settle.exec();
    return watcher->ownsContents() || TellRefused();
}

void PasteWrittenItem()
{
    // The item stays on the clipboard afterwards: putting the newest one back would need
    // the focus as well.
    OsInstance()->SendPasteKeystroke();
}

void Paste(CCilpboardListModel *model, int index)
{
    if (!model || index < 0 || index >= model->rowCount())
        return;
    CClipboardManager *mgr = CClipboardManager::instance();
    CCilpboardListModel *main = mgr->clipboardModel();

    // The clipboard already holds the item only if it holds the top item as captured: after
    // a copy that was not kept (a secret) the top row is no longer what a paste would give.
    const bool is_top =
        (model == main && index == 0) || (model == mgr->pinModel() && main->rowCount() > 0 &&
                                          model->getMd5(index) == main->getMd5(0));
    const bool must_write = !(is_top && mgr->clipboardHoldsTopItem());

    if (must_write)
        WriteAndWait(*model, index);
    CSettingsHelper *ini = CSettingsHelper::instance();
    OsInstance()->setPasteKeysByClass(ini->getIni(ini->paste_keys_by_class()).toString());
    // The pasted item stays on the clipboard. Putting the history's newest item back once
    // the target has read cannot be timed safely: editors read the clipboard on every change
    // for purposes of their own (a paste history), so no read shows that the paste itself
    // is done, and an item put back too early is what the target (or the user's own Ctrl+V
    // after a lost keystroke) then pastes.
    OsInstance()->SendPasteKeystroke();
}

} // namespace QuickPaste
