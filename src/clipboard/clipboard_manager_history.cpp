// Saving and restoring both histories, and the stored images beside them.
#include "clipboard/clipboard_manager.h"

#include "item/clipboard_logging.h"
#include "item/history_file.h"
#include "item/image_store.h"
#include "item/qml_types.h"
#include "item/storage_paths.h"
#include "settings/settings_helper.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <utility>

namespace {
// A save writes a temporary file beside its target first: the target's name, a dot and six
// letters or digits. One left over by a crash is removed at the next clean-up.
const QRegularExpression kLeftoverSaveFile(
    QStringLiteral("^(history|[0-9a-f]{32}(?:\\.preview)?\\.png)\\.[A-Za-z0-9]{6}$"));
const QRegularExpression kImageFile(QStringLiteral("^([0-9a-f]{32})(?:\\.preview)?\\.png$"));
// How long a quit waits for images still being encoded once the histories are saved.
constexpr int kQuitCaptureMs = 2000;

// A history file this version cannot read (a newer format, a damaged head) is kept under a
// name of its own, so that the next save does not destroy it.
QString SetAside(const QString &path, bool keep_original)
{
    const QString base = path + QStringLiteral(".unread-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    const bool ok = keep_original ? QFile::copy(path, aside) : QFile::rename(path, aside);
    if (!ok)
        return QString();
    QFile::setPermissions(aside, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return aside;
}

void RemoveLeftoverSaveFiles(QDir &dir, const QStringList &names)
{
    for (const QString &name : names) {
        if (kLeftoverSaveFile.match(name).hasMatch())
            dir.remove(name);
    }
}
} // namespace

void CClipboardManager::writeHistoryInBackground(const QString &path, const QVector<CBData> &rows,
                                                 bool wait)
{
    // Saved on its own before the histories were read, a list would replace them; asked for
    // explicitly, the save is the caller's decision.
    if (!m_restored && !wait)
        return;
    m_writes.run([path, rows] { return HistoryFile::Save(path, rows); },
                 [this, path](const QString &error) {
                     if (error.isEmpty()) {
                         m_writeProblemShown = false;
                         return;
                     }
                     qCWarning(lcClipboard) << "saveCurData" << path << error;
                     reportWriteProblem(error);
                 });
    if (wait) // behind the saves queued before it, so the newest rows land last
        m_writes.finish();
}

void CClipboardManager::save2File()
{
    if (!m_restored) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << "histories were never read; not overwriting";
        return;
    }
    // Queued writes must not land after (and over) these. The histories go first: a session
    // that ends may not wait for images still being encoded. Those get a short while, and
    // what they add is saved again; the rest is given up.
    m_writes.finish();
    const bool capturing = m_background.pending() > 0;
    for (int round = 0; round < (capturing ? 2 : 1); ++round) {
        if (round == 1 && !m_background.finishWithin(kQuitCaptureMs))
            qCWarning(lcClipboard) << Q_FUNC_INFO << "captures still being stored were given up";
        m_model.Save2FileHelper(StoragePaths::ClipboardHistoryFile());
        qCDebug(lcClipboard) << "save" << StoragePaths::ClipboardHistoryFile();
        m_modelPin.Save2FileHelper(StoragePaths::PinHistoryFile());
        qCDebug(lcClipboard) << "save" << StoragePaths::PinHistoryFile();
    }
    removeUnusedFiles();
}

void CClipboardManager::onRowsAboutToBeRemoved(const CCilpboardListModel &model, int first,
                                               int last)
{
    for (int r = first; r <= last; ++r) {
        if (model.getType(r) == CQmlTypes::Image)
            m_unusedImages.insert(model.getMd5(r));
    }
    if (m_unusedImages.isEmpty() || m_imageSweepQueued)
        return;
    // After the change is complete: a row removed to be put back elsewhere is still in use.
    m_imageSweepQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_imageSweepQueued = false;
        removeUnusedImages();
    });
}

void CClipboardManager::removeUnusedImages()
{
    // A capture under way may be storing one of these images again, for an item about to
    // come in; the last capture to finish calls this again.
    if (m_background.pending() > 0)
        return;
    if (m_sweepOrphans) {
        m_sweepOrphans = false;
        m_unusedImages.clear();
        removeUnusedFiles();
        return;
    }
    const QSet<QString> names = std::exchange(m_unusedImages, {});
    for (const QString &md5 : names) {
        if (m_model.indexOfMD5(md5) == -1 && m_modelPin.indexOfMD5(md5) == -1 &&
            StoragePaths::IsMd5Key(md5)) {
            const QString picture = StoragePaths::ImgPath(md5);
            QFile::remove(picture);
            QFile::remove(ImageStore::PreviewPath(picture));
        }
    }
}

// Only what the program itself put there goes: images no item names and temporary files of
// interrupted saves. Anything else in the folder is the user's.
void CClipboardManager::removeUnusedFiles()
{
    QSet<QString> keep;
    for (const CCilpboardListModel *m : {&m_model, &m_modelPin}) {
        for (const CBData &d : m->items())
            keep.insert(d.md5);
    }
    QDir clip(StoragePaths::ClipboardDir());
    const QStringList names = clip.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QRegularExpressionMatch image = kImageFile.match(name);
        if (image.hasMatch() && !keep.contains(image.captured(1)))
            clip.remove(name);
    }
    RemoveLeftoverSaveFiles(clip, names);
    QDir pin(StoragePaths::PinDir());
    RemoveLeftoverSaveFiles(pin, pin.entryList(QDir::Files | QDir::Hidden | QDir::System));
}

bool CClipboardManager::restoreLocalList(CCilpboardListModel &model, const QString &path,
                                         int max_rows)
{
    const CCilpboardListModel::RestoreOutcome out = model.RestoreRows(path, max_rows);
    if (!out.unreadable && !out.truncated && out.refused == 0)
        return false;
    // A damaged tail is read up to the damage, a damaged record is left out; the whole file
    // is kept for whoever can recover the rest, before the next save leaves it out for good.
    const QString aside = SetAside(path, !out.unreadable);
    if (aside.isEmpty())
        qCWarning(lcClipboard) << Q_FUNC_INFO << "history file not readable, and it could not"
                               << "be set aside:" << path;
    else
        qCWarning(lcClipboard) << Q_FUNC_INFO << "history file not readable in full; kept as"
                               << aside;
    return true;
}

void CClipboardManager::restoreFromFile()
{
    m_restored = true;
    CSettingsHelper *ini = CSettingsHelper::instance();
    // A file written under a larger limit, or grown by hand, is not held whole.
    const bool set_aside =
        restoreLocalList(m_model, StoragePaths::ClipboardHistoryFile(),
                         qMax(1, ini->getIni(ini->stack_max_item_count()).toInt()));
    const bool pin_set_aside = restoreLocalList(m_modelPin, StoragePaths::PinHistoryFile(), 0);
    // Images left by a run that ended without saving go, unless a history that may name
    // them was kept aside.
    m_sweepOrphans = !set_aside && !pin_set_aside;
    for (int r = 0; r < m_model.rowCount(); ++r) {
        if (m_modelPin.indexOfMD5(m_model.getMd5(r)) != -1)
            m_model.setRowData(r, true, CCilpboardListModel::PinStatusRole);
    }
    // The clipboard may still hold the copy that the restored top item came from.
    m_lastChangeMs = m_clock.elapsed();
    captureClipboard(true);
    removeUnusedImages();
    // Reading the files passed every record through memory once.
    m_returnFreedTimer.start();
}
