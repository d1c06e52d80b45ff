#pragma once

#include "clipboard/background_queue.h"
#include "clipboard/clipboard_list_model.h"
#include "clipboard/history_autosave.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

class QMimeData;

// Owns the Clipboard list and the Pin list, captures clipboard changes into them, saves
// and restores both histories, and carries the pin, favourite and write-back operations.
class CClipboardManager : public QObject
{
    Q_OBJECT
public:
    static CClipboardManager *instance();
    ~CClipboardManager() override;

    CCilpboardListModel *clipboardModel() { return &m_model; }
    CCilpboardListModel *pinModel() { return &m_modelPin; }
    CHistoryAutosave &autosaveOf(const CCilpboardListModel *model)
    {
        return model == &m_modelPin ? m_autosavePin : m_autosave;
    }

    Q_INVOKABLE void save2File();
    Q_INVOKABLE void restoreFromFile();

    Q_INVOKABLE void pinItem(int real_index);
    Q_INVOKABLE void pinRmItem(CCilpboardListModel *model, int real_index);
    Q_INVOKABLE void setIndexFavor(int pin_model_index);
    Q_INVOKABLE void copyPinItem2Main(int pin_index);
    Q_INVOKABLE void copyRemoteItem2Main(CCilpboardListModel *model, int index);
    Q_INVOKABLE void syncModel2Clipboard();

    // While paused, nothing the clipboard holds is captured or stored.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }
    // Puts a text at the top of the Clipboard list as a copy of it would; the item's
    // identity, or empty when such a text is not kept (empty, too long, paused).
    QString addText(const QString &text);

    // True when the clipboard holds row 0 of the Clipboard list as captured: nothing that
    // was not captured (a secret, say) came after it.
    bool clipboardHoldsTopItem() const;
    // Waits for the captures and file writes still running off this thread and takes their
    // results in; afterwards the lists are complete.
    void finishPendingWork();

signals:
    void sigPausedChanged(bool paused);
    // The main list should show its top row.
    void sigGotoFirstIndex4Main();
    void sigShowToast4Main(const QString &msg);
    void sigShowTextViaTray(const QString &text);

private slots:
    void onClipboardChanged(QClipboard::Mode mode);
    void onCBRowCountChanged();

private:
    CClipboardManager();
    // Reads the clipboard unless this state of it was read already (force: read anyway).
    void captureClipboard(bool force);
    void applyCapture(const CBData &item, bool roll2top, qint64 arrival_ms, quint64 serial);
    bool replacesTopItem(const CBData &item, qint64 arrival_ms) const;
    void writeHistoryInBackground(const QString &path, const QVector<CBData> &rows, bool wait);
    void reportWriteProblem(const QString &error);
    // True when the file had to be kept aside.
    bool restoreLocalList(CCilpboardListModel &model, const QString &path, int max_rows);
    void removeUnusedFiles();
    void onRowsAboutToBeRemoved(const CCilpboardListModel &model, int first, int last);
    void removeUnusedImages();

    CCilpboardListModel m_model;
    CCilpboardListModel m_modelPin;
    CHistoryAutosave m_autosave{m_model};
    CHistoryAutosave m_autosavePin{m_modelPin};
    // Saving before the histories were read would overwrite them with empty lists.
    bool m_restored = false;
    // Captures (images are decoded, encoded and stored there) and history writes each have a
    // worker: a save must not wait behind a burst of images.
    CBackgroundQueue m_background;
    CBackgroundQueue m_writes{QStringLiteral("tolvane history")};
    // Images of items that left the lists, removed once no list names them and no capture
    // is under way (which might be storing the same image again).
    QSet<QString> m_unusedImages;
    bool m_imageSweepQueued = false;
    // Files in the image folder that no item names are removed once both histories were read
    // (and none of them had to be set aside: its images are the only copy).
    bool m_sweepOrphans = false;
    QElapsedTimer m_clock;
    // When the last capture (or the restore) happened, for telling repeats of one copy.
    qint64 m_lastChangeMs = -1;
    // The watcher's count of clipboard changes when the clipboard was last read.
    qint64 m_lastReadSequence = -1;
    // Counts clipboard changes; a capture finishing late knows whether it is still the last.
    quint64 m_changeSerial = 0;
    // Identity of what the clipboard holds, as far as it was captured; empty when unknown.
    QString m_clipboardMd5;
    // One balloon per run of failed writes; a write that works again re-arms it.
    bool m_writeProblemShown = false;
    bool m_paused = false;
    // Reading, decoding and storing a screenshot or a long text leaves many MiB freed but
    // still with the process; once captures are quiet they are given back.
    QTimer m_returnFreedTimer;
};
