// History file reading and writing of the list model, and where its images live.
#include "clipboard/clipboard_list_model.h"
#include "clipboard/preview_image_provider.h"

#include "item/clipboard_logging.h"
#include "item/history_file.h"
#include "item/storage_paths.h"

#include <QFile>
#include <QFileInfo>

QString CCilpboardListModel::historyFilePath() const
{
    if (!m_isLocal)
        return QString();
    return m_isPin ? StoragePaths::PinHistoryFile() : StoragePaths::ClipboardHistoryFile();
}

void CCilpboardListModel::saveCurData()
{
    writeHistory(true);
}

void CCilpboardListModel::writeHistory(bool wait)
{
    const QString path = historyFilePath();
    if (path.isEmpty())
        return;
    if (m_historyWriter)
        m_historyWriter(path, m_items, wait);
    else
        Save2FileHelper(path);
    emit sigHistoryWritten();
}

void CCilpboardListModel::resetModelData()
{
    clearRows();
    saveCurData();
}

bool CCilpboardListModel::Save2FileHelper(const QString &path)
{
    const QString error = HistoryFile::Save(path, m_items);
    if (!error.isEmpty())
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << path << error;
    return error.isEmpty();
}

CCilpboardListModel::RestoreOutcome CCilpboardListModel::RestoreRows(const QString &path,
                                                                     int max_rows)
{
    RestoreOutcome out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcClipboard) << "RestoreFromFile" << __LINE__ << path << file.errorString();
        return out;
    }
    clearRows();
    HistoryFile::ReadResult res = HistoryFile::Read(file, max_rows);
    // An empty file holds nothing to keep.
    out.unreadable = res.status != HistoryFile::ReadStatus::Ok && file.size() > 0;
    if (res.status == HistoryFile::ReadStatus::BadMagic) {
        qCDebug(lcClipboard) << "error history header." << res.magic;
        return out;
    }
    if (res.status == HistoryFile::ReadStatus::VersionTooNew) {
        qCWarning(lcClipboard) << "RestoreFromFile"
                               << "data version: larger";
        return out;
    }
    out.read = true;
    out.truncated = res.truncated;
    out.refused = res.dropped;
    if (res.dropped > 0 || res.truncated)
        qCWarning(lcClipboard) << "RestoreFromFile" << path << "records refused:" << res.dropped
                               << "stopped early:" << res.truncated;
    replaceRows(std::move(res.rows));
    return out;
}

void CCilpboardListModel::replaceRows(QVector<CBData> rows)
{
    clearRows();
    if (!rows.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, rows.size() - 1);
        m_items = std::move(rows);
        endInsertRows();
        emit sigInsertionFinished();
    }
    renumberFavourites();
}

bool CCilpboardListModel::isImgExists(const QString &md5) const
{
    if (m_isLocal)
        return QFileInfo::exists(StoragePaths::ImgPath(md5));
    if (!StoragePaths::IsMd5Key(md5))
        return false;
    return QFileInfo::exists(StoragePaths::RemoteImgPath(m_ip, md5));
}

QUrl CCilpboardListModel::getPreviewUrl(const QString &md5) const
{
    return QUrl(QStringLiteral("image://preview/") +
                CPreviewImageProvider::IdOf(m_isLocal ? QString() : m_ip, md5));
}

QUrl CCilpboardListModel::getImgUrl(const QString &md5) const
{
    if (m_isLocal)
        return QUrl::fromLocalFile(StoragePaths::ImgPath(md5));
    return QUrl::fromLocalFile(StoragePaths::RemoteImgPath(m_ip, md5));
}
