#include "datasync/pending_save_paths.h"

#include <QHash>
#include <QPair>

namespace PendingSavePaths {

namespace {
using Key = QPair<QString, QString>;

QHash<Key, QString> &Table()
{
    static QHash<Key, QString> table;
    return table;
}
} // namespace

void Set(const QString &ip, const QString &remote_path, const QString &save_path)
{
    Table().insert(Key(ip, remote_path), save_path);
}

QString Take(const QString &ip, const QString &remote_path)
{
    return Table().take(Key(ip, remote_path));
}

void Remove(const QString &ip, const QString &remote_path)
{
    Table().remove(Key(ip, remote_path));
}

} // namespace PendingSavePaths
