// History file reading and writing of the list model, and where its images live.
#include "clipboard/clipboard_list_model.h"

#include "item/clipboard_logging.h"
#include "item/history_file.h"
#include "item/storage_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString CCilpboardListModel::historyFilePath() const
{
    if (!m_isLocal)
        return QString();
    return m_isPin ? StoragePaths::PinHistoryFile() : StoragePaths::ClipboardHistoryFile();
}

void CCilpboardListModel::saveCurData()
{
    const QString path = historyFilePath();
    if (!path.isEmpty())
        Save2FileHelper(path);
}

void CCilpboardListModel::resetModelData()
{
    clearRows();
    saveCurData();
}

void CCilpboardListModel::Save2FileHelper(const QString &path)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << file.fileName() << file.errorString();
        return;
    }
    HistoryFile::Write(file, m_items);
    if (!file.commit())
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << "commit failed" << path
                               << file.errorString();
}

bool CCilpboardListModel::RestoreFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << __LINE__ << path << file.errorString();
        return false;
    }
    clearRows();
    HistoryFile::ReadResult res = HistoryFile::Read(file);
    if (res.status == HistoryFile::ReadStatus::BadMagic) {
        qCDebug(lcClipboard) << "error history header." << res.magic;
        return false;
    }
    if (res.status == HistoryFile::ReadStatus::VersionTooNew) {
        qCWarning(lcClipboard) << Q_FUNC_INFO << "data version: larger";
        return false;
    }
    if (res.dropped > 0 || res.truncated)
        qCWarning(lcClipboard) << Q_FUNC_INFO << path << "records refused:" << res.dropped
                               << "stopped early:" << res.truncated;
    if (!res.rows.isEmpty()) {
        beginInsertRows(QModelIndex(), 0, res.rows.size() - 1);
        m_items = std::move(res.rows);
        endInsertRows();
        emit sigInsertionFinished();
    }
    renumberFavourites();
    return true;
}

bool CCilpboardListModel::isImgExists(const QString &md5) const
{
    if (m_isLocal)
        return QFileInfo::exists(StoragePaths::ImgPath(md5));
    if (!StoragePaths::IsMd5Key(md5))
        return false;
    return QFileInfo::exists(StoragePaths::RemoteImgDir(m_ip) + md5 + QStringLiteral(".png"));
}

QUrl CCilpboardListModel::getImgUrl(const QString &md5) const
{
    if (m_isLocal)
        return QUrl::fromLocalFile(StoragePaths::ImgPath(md5));
    return QUrl::fromLocalFile(StoragePaths::RemoteImgDir(m_ip) + md5 + QStringLiteral(".png"));
}
