#include "datasync/local_share.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/clipboard_manager.h"
#include "datasync/text_command.h"
#include "item/storage_paths.h"
#include "settings/settings_helper.h"

#include <QDir>
#include <QStandardPaths>

LocalShare LocalShare::processWide()
{
    LocalShare share;
    share.clipboard = CClipboardManager::instance()->clipboardModel();
    share.pin = CClipboardManager::instance()->pinModel();
    share.password = [] {
        CSettingsHelper *ini = CSettingsHelper::instance();
        return ini->getIni(ini->connect_local_pwd()).toString();
    };
    share.link_dir =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/link");
    share.refuse_plain = [] {
        CSettingsHelper *ini = CSettingsHelper::instance();
        return ini->getIni(ini->connect_refuse_plain()).toBool();
    };
    return share;
}

bool LocalShare::isSharedPath(const QString &path) const
{
    if (path.isEmpty())
        return false;
    const QString wanted = QDir::cleanPath(path);
    for (const CCilpboardListModel *list : {clipboard, pin}) {
        if (!list)
            continue;
        for (const CBData &item : list->items()) {
            if (item.type != CQmlTypes::Urls)
                continue;
            const QList<QUrl> urls = qvariant_cast<QList<QUrl>>(item.val);
            for (const QUrl &url : urls) {
                if (url.isLocalFile() && QDir::cleanPath(url.toLocalFile()) == wanted)
                    return true;
            }
        }
    }
    return false;
}

bool LocalShare::isSharedImage(const QString &md5) const
{
    for (const CCilpboardListModel *list : {clipboard, pin}) {
        if (!list)
            continue;
        for (const CBData &item : list->items()) {
            if (item.type == CQmlTypes::Image && item.md5 == md5)
                return true;
        }
    }
    return false;
}

int LocalShare::itemLimit() const
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    return qMax(1, ini->getIni(ini->stack_max_item_count()).toInt());
}

QString LocalShare::transferRoot() const
{
    return transfer_root.isEmpty() ? StoragePaths::TempRoot() : transfer_root;
}

QString LocalShare::historyFile() const
{
    const QString root = transferRoot();
    QDir().mkpath(root);
    return root + TextCommand::HistoryName();
}

QString LocalShare::receiveDir(const QString &ip) const
{
    return StoragePaths::HostDir(transferRoot(), ip);
}
