#pragma once

#include "fake_clipboard_watcher.h"

#include <QObject>

#include <functional>

class CClipboardManager;
class CCilpboardListModel;
class QMimeData;

// The base of the capture, list and pinning tests: the in-memory clipboard in place of the
// platform's, the manager's lists, and another program copying. Test classes derive from it
// and call installClipboard() in initTestCase.
class CaptureFixture : public QObject
{
    Q_OBJECT
protected:
    CClipboardManager *mgr() const;
    CCilpboardListModel *list() const;
    CCilpboardListModel *pin() const;
    // Puts the fake clipboard in place and restores the (empty) histories, which also
    // enables saving. False when a watcher was in place already.
    bool installClipboard();
    // Another program copies and the watcher reports it: the capture reads the contents now
    // and builds the item off this thread.
    void put(QMimeData *mime);
    // The same, with the item built and taken in.
    void copy(QMimeData *mime);
    void copyText(const QString &text);
    // Runs `change` and waits until the burst of row changes it caused in `model` has
    // ended, together with the save the burst may have started.
    void settle(CCilpboardListModel *model, const std::function<void()> &change);

    FakeClipboardWatcher *m_clip = nullptr;
};
