#include "clipboard/clipboard_manager.h"

#include "clipboard/qml_helper.h"
#include "clipboard/write_back.h"
#include "item/clipboard_logging.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "settings/settings_helper.h"

#include <QDir>
#include <QMimeData>
#include <QSet>

CClipboardManager *CClipboardManager::instance()
{
    static CClipboardManager inst;
    return &inst;
}

CClipboardManager::CClipboardManager()
{
    QDir().mkpath(StoragePaths::ClipboardDir());
    QDir().mkpath(StoragePaths::PinDir());
    RegisterUrlListMetaType();
    m_modelPin.setPin(true);
    connect(OsInstance()->ClipboardWatcher(), &CClipboardAbstract::changed, this,
            &CClipboardManager::onClipboardChanged);
    // Trimming inside rowsInserted would announce the removal to the views before the
    // insertion; they would count one row too many from then on.
    connect(&m_model, &CCilpboardListModel::sigInsertionFinished, this,
            &CClipboardManager::onCBRowCountChanged);
}

void CClipboardManager::HandleRoll2TopFlag(QMimeData *mime)
{
    if (mime->property(ClipboardMarkers::kRoll2Top).toString().isEmpty())
        return;
    mime->setProperty(ClipboardMarkers::kRoll2Top, QString());
    emit CQmlHelper::instance()->sigGotoFirstIndex4Main();
}

void CClipboardManager::onClipboardChanged(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard)
        return;
    // Only our own writes come back as a mutable object; foreign data is read-only to us.
    auto *mime = const_cast<QMimeData *>(OsInstance()->ClipboardWatcher()->mimeData());
    if (!mime)
        return;
    if (!mime->property(ClipboardMarkers::kFilter).toString().isEmpty()) {
        mime->setProperty(ClipboardMarkers::kFilter, QString());
        HandleRoll2TopFlag(mime);
        return;
    }
    if (IsSecretMime(mime)) {
        qCDebug(lcClipboard) << "clipboard content marked secret, not kept";
        return;
    }
    const CBData item = GetCBDataFromMime(mime);
    if (item.plain.isEmpty())
        return;
    const int row = m_model.indexOfMD5(item.md5);
    if (row == -1) {
        m_model.prependItem(item);
        qCDebug(lcClipboard) << "captured" << item.type << item.md5;
    } else if (row > 0) {
        m_model.moveRow(row, 0);
        qCDebug(lcClipboard) << "moved to top" << row << item.md5;
        return;
    }
    HandleRoll2TopFlag(mime);
}

void CClipboardManager::onCBRowCountChanged()
{
    const int max = CSettingsHelper::instance()
                        ->getIni(CSettingsHelper::instance()->stack_max_item_count())
                        .toInt();
    if (m_model.rowCount() >= max && m_model.rowCount() > 0)
        m_model.removeItem(m_model.rowCount() - 1);
}

void CClipboardManager::save2File()
{
    if (!m_restored) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << "histories were never read; not overwriting";
        return;
    }
    m_model.Save2FileHelper(StoragePaths::ClipboardHistoryFile());
    qCDebug(lcClipboard) << "save" << StoragePaths::ClipboardHistoryFile();
    m_modelPin.Save2FileHelper(StoragePaths::PinHistoryFile());
    qCDebug(lcClipboard) << "save" << StoragePaths::PinHistoryFile();

    QSet<QString> keep{QStringLiteral("history")};
    for (const CCilpboardListModel *m : {&m_model, &m_modelPin}) {
        for (const CBData &d : m->items())
            keep.insert(d.md5);
    }
    QDir dir(StoragePaths::ClipboardDir());
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : files) {
        const QString base = name.section(QLatin1Char('.'), 0, 0);
        if (!keep.contains(base))
            dir.remove(name);
    }
}

void CClipboardManager::restoreFromFile()
{
    m_restored = true;
    m_model.RestoreFromFile(StoragePaths::ClipboardHistoryFile());
    m_modelPin.RestoreFromFile(StoragePaths::PinHistoryFile());
    for (int r = 0; r < m_model.rowCount(); ++r) {
        if (m_modelPin.indexOfMD5(m_model.getMd5(r)) != -1)
            m_model.setRowData(r, true, CCilpboardListModel::PinStatusRole);
    }
    onClipboardChanged(QClipboard::Clipboard);
}

void CClipboardManager::syncModel2Clipboard()
{
    if (m_model.rowCount() > 0)
        WriteBack::Item(m_model.item(0), false);
}
