#include "clipboard/clipboard_manager.h"

#include "clipboard/qml_helper.h"
#include "clipboard/write_back.h"
#include "item/clipboard_logging.h"
#include "item/clipboard_offer.h"
#include "item/history_file.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/freed_memory.h"
#include "os/os_abstract.h"
#include "os/private_storage.h"
#include "os/process_services.h"
#include "settings/settings_helper.h"

#include <QCoreApplication>
#include <QMimeData>

namespace {
// Some programs (office suites) set the clipboard twice for one copy and answer slightly
// differently each time; the restore and the watcher's first look also both read what was
// copied while the program was not running. A change this soon after the last one, with
// the same kind and text as the top item, is the same copy.
constexpr qint64 kRepeatWindowMs = 1000;
// Captures come in bursts; memory is given back once one has been quiet this long.
constexpr int kReturnFreedAfterMs = 1000;
// An item this large (characters of its text) left copies of that size behind while read.
constexpr int kLargeItemChars = 64 * 1024;

// Takes the roll-to-top marker off the contents; true when it was there.
bool TakeRoll2TopFlag(QMimeData *mime)
{
    if (mime->property(ClipboardMarkers::kRoll2Top).toString().isEmpty())
        return false;
    mime->setProperty(ClipboardMarkers::kRoll2Top, QString());
    return true;
}

struct BuiltItem
{
    CBData item;
    QString storeError;
};

// The histories and images are the user's alone; files of older versions were created
// readable by everyone.
// Password managers and the like, named in the settings by window class or executable.
bool IsIgnoredOwner(const QStringList &owner_names)
{
    if (owner_names.isEmpty())
        return false;
    CSettingsHelper *ini = CSettingsHelper::instance();
    const QStringList ignored = ini->getIni(ini->stack_ignored_apps()).toStringList();
    for (const QString &name : owner_names) {
        for (const QString &entry : ignored) {
            if (!entry.trimmed().isEmpty() &&
                name.compare(entry.trimmed(), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

void MakeStorageFolders()
{
    for (const QString &dir :
         {StoragePaths::CacheDir(), StoragePaths::ClipboardDir(), StoragePaths::PinDir()}) {
        QString problem;
        if (!PrivateStorage::MakePrivateFolder(dir, &problem))
            qCWarning(lcClipboard) << "MakeStorageFolders" << dir << problem;
    }
    PrivateStorage::TightenFiles(StoragePaths::ClipboardDir());
    PrivateStorage::TightenFiles(StoragePaths::PinDir());
}
} // namespace

CClipboardManager *CClipboardManager::instance()
{
    static CClipboardManager *inst = ProcessServices::Adopt(new CClipboardManager);
    return inst;
}

CClipboardManager::CClipboardManager()
{
    m_clock.start();
    MakeStorageFolders();
    CSettingsHelper *ini = CSettingsHelper::instance();
    m_paused =
        ini->getIni(ini->stack_keep_paused()).toBool() && ini->getIni(ini->stack_paused()).toBool();
    RegisterItemMetaTypes();
    m_returnFreedTimer.setSingleShot(true);
    m_returnFreedTimer.setInterval(kReturnFreedAfterMs);
    connect(&m_returnFreedTimer, &QTimer::timeout, this, [this] {
        if (m_background.pending() > 0)
            m_returnFreedTimer.start();
        else
            FreedMemory::ReturnToSystem();
    });
    m_modelPin.setPin(true);
    const auto writer = [this](const QString &path, const QVector<CBData> &rows, bool wait) {
        writeHistoryInBackground(path, rows, wait);
    };
    m_model.setHistoryWriter(writer);
    m_modelPin.setHistoryWriter(writer);
    // The views listen on the interface's hub; the manager itself does not know them.
    CQmlHelper *hub = CQmlHelper::instance();
    connect(this, &CClipboardManager::sigGotoFirstIndex4Main, hub,
            &CQmlHelper::sigGotoFirstIndex4Main);
    connect(this, &CClipboardManager::sigShowToast4Main, hub, &CQmlHelper::sigShowToast4Main);
    connect(this, &CClipboardManager::sigShowTextViaTray, hub, &CQmlHelper::sigShowTextViaTray);
    connect(OsInstance()->ClipboardWatcher(), &CClipboardAbstract::changed, this,
            &CClipboardManager::onClipboardChanged);
    // Trimming inside rowsInserted would announce the removal to the views before the
    // insertion; they would count one row too many from then on.
    connect(&m_model, &CCilpboardListModel::sigInsertionFinished, this,
            &CClipboardManager::onCBRowCountChanged);
    for (CCilpboardListModel *m : {&m_model, &m_modelPin}) {
        connect(m, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this, m](const QModelIndex &, int first, int last) {
                    onRowsAboutToBeRemoved(*m, first, last);
                });
    }
}

CClipboardManager::~CClipboardManager()
{
    // Writes given to the workers reach the disk before the workers stop.
    finishPendingWork();
}

void CClipboardManager::finishPendingWork()
{
    m_background.finish();
    m_writes.finish();
}

void CClipboardManager::onClipboardChanged(QClipboard::Mode mode)
{
    if (mode == QClipboard::Clipboard)
        captureClipboard(false);
}

void CClipboardManager::captureClipboard(bool force)
{
    CClipboardAbstract *watcher = OsInstance()->ClipboardWatcher();
    const qint64 sequence = watcher->sequenceNumber();
    if (!force && sequence >= 0 && sequence == m_lastReadSequence)
        return;
    m_lastReadSequence = sequence;
    ++m_changeSerial;
    m_clipboardMd5.clear();
    // Only our own writes come back as a mutable object; foreign data is read-only to us.
    auto *mime = const_cast<QMimeData *>(watcher->mimeData());
    if (!mime)
        return;
    if (!mime->property(ClipboardMarkers::kFilter).toString().isEmpty()) {
        mime->setProperty(ClipboardMarkers::kFilter, QString());
        m_clipboardMd5 = mime->property(ClipboardMarkers::kItemMd5).toString();
        if (TakeRoll2TopFlag(mime))
            emit sigGotoFirstIndex4Main();
        return;
    }
    if (m_paused) {
        qCDebug(lcClipboard) << "capture paused, clipboard change not kept";
        return;
    }
    const QStringList owner = watcher->ownerNames();
    if (IsIgnoredOwner(owner)) {
        qCDebug(lcClipboard) << "clipboard owner is an ignored application, not kept" << owner;
        return;
    }
    const ClipboardOffer offer = ReadClipboardOffer(mime);
    if (offer.kind == ClipboardOffer::Secret) {
        qCDebug(lcClipboard) << "clipboard content marked secret, not kept";
        return;
    }
    if (offer.kind == ClipboardOffer::Nothing)
        return;
    const bool roll2top = TakeRoll2TopFlag(mime);
    const qint64 arrival = m_clock.elapsed();
    const quint64 serial = m_changeSerial;
    m_background.run(
        [offer] {
            BuiltItem built;
            built.item = ItemFromOffer(offer, &built.storeError);
            return built;
        },
        [this, roll2top, arrival, serial](const BuiltItem &built) {
            if (!built.storeError.isEmpty())
                reportWriteProblem(built.storeError);
            applyCapture(built.item, roll2top, arrival, serial);
            if (built.item.type == CQmlTypes::Image || built.item.plain.size() > kLargeItemChars)
                m_returnFreedTimer.start();
            if (m_background.pending() == 0 && (!m_unusedImages.isEmpty() || m_sweepOrphans))
                removeUnusedImages();
        });
}

bool CClipboardManager::replacesTopItem(const CBData &item, qint64 arrival_ms) const
{
    if (m_lastChangeMs < 0 || arrival_ms - m_lastChangeMs > kRepeatWindowMs ||
        m_model.rowCount() == 0)
        return false;
    const CBData &top = m_model.item(0);
    // Every image has the text "Image", so text tells nothing there; and a pinned item keeps
    // the identity its pin refers to.
    return item.type != CQmlTypes::Image && top.type == item.type && top.plain == item.plain &&
           !top.pin_status;
}

void CClipboardManager::applyCapture(const CBData &item, bool roll2top, qint64 arrival_ms,
                                     quint64 serial)
{
    if (item.plain.isEmpty())
        return;
    const bool repeat = replacesTopItem(item, arrival_ms);
    m_lastChangeMs = arrival_ms;
    const bool latest = serial == m_changeSerial;
    const int row = m_model.indexOfMD5(item.md5);
    if (row == -1 && repeat) {
        m_model.setRowData(0, item.val, CCilpboardListModel::ValRole);
        m_model.setRowData(0, item.md5, CCilpboardListModel::Md5Role);
        qCDebug(lcClipboard) << "same copy again, top item replaced" << item.type << item.md5;
    } else if (row == -1) {
        m_model.prependItem(item);
        qCDebug(lcClipboard) << "captured" << item.type << item.md5;
    } else if (row > 0) {
        if (repeat) // the first reading of this same copy gives way to the older item
            m_model.removeItem(0);
        m_model.moveRow(repeat ? row - 1 : row, 0);
        qCDebug(lcClipboard) << "moved to top" << row << item.md5;
        if (latest)
            m_clipboardMd5 = item.md5;
        return;
    }
    if (latest)
        m_clipboardMd5 = item.md5;
    if (roll2top)
        emit sigGotoFirstIndex4Main();
}

bool CClipboardManager::clipboardHoldsTopItem() const
{
    return m_model.rowCount() > 0 && !m_clipboardMd5.isEmpty() &&
           m_clipboardMd5 == m_model.getMd5(0);
}

void CClipboardManager::onCBRowCountChanged()
{
    const int max = CSettingsHelper::instance()
                        ->getIni(CSettingsHelper::instance()->stack_max_item_count())
                        .toInt();
    // The list keeps exactly as many rows as the user chose.
    while (m_model.rowCount() > qMax(1, max))
        m_model.removeItem(m_model.rowCount() - 1);
}

void CClipboardManager::reportWriteProblem(const QString &error)
{
    if (m_writeProblemShown)
        return;
    m_writeProblemShown = true;
    emit sigShowTextViaTray(QCoreApplication::translate(
                                "Global", "Tolvane could not save to disk (%1). What was stored "
                                          "before is kept.")
                                .arg(error));
}

void CClipboardManager::setPaused(bool paused)
{
    if (m_paused == paused)
        return;
    m_paused = paused;
    CSettingsHelper *ini = CSettingsHelper::instance();
    ini->setIni(ini->stack_paused(), paused);
    qCDebug(lcClipboard) << (paused ? "capture paused" : "capture resumed");
    emit sigPausedChanged(paused);
}

QString CClipboardManager::addText(const QString &text)
{
    if (m_paused)
        return {};
    QMimeData mime;
    mime.setText(text);
    const ClipboardOffer offer = ReadClipboardOffer(&mime);
    if (offer.kind == ClipboardOffer::Nothing || offer.kind == ClipboardOffer::Secret)
        return {};
    const CBData item = ItemFromOffer(offer);
    if (item.plain.isEmpty())
        return {};
    const int row = m_model.indexOfMD5(item.md5);
    if (row == -1)
        m_model.prependItem(item);
    else if (row > 0)
        m_model.moveRow(row, 0);
    qCDebug(lcClipboard) << "added" << item.type << item.md5;
    return item.md5;
}

void CClipboardManager::syncModel2Clipboard()
{
    if (m_model.rowCount() > 0)
        WriteBack::Item(m_model.item(0), false);
}
