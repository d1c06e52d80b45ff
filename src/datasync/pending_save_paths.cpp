#include "datasync/pending_save_paths.h"

#include <QDir>
#include <QFileInfo>
#include <QVector>

namespace PendingSavePaths {

namespace {
struct Entry
{
    QString ip;
    QString remote; // normalised
    QString save;
};

QVector<Entry> &Table()
{
    static QVector<Entry> table;
    return table;
}

int Find(const QString &ip, const QString &remote)
{
    const QString key = Normalized(remote);
    const QVector<Entry> &table = Table();
    for (int i = 0; i < table.size(); ++i) {
        if (table.at(i).ip == ip && table.at(i).remote == key)
            return i;
    }
    return -1;
}

// The one entry of the host that the announced path can only mean, or -1.
int Match(const QString &ip, const QString &announced)
{
    const int exact = Find(ip, announced);
    if (exact >= 0)
        return exact;
    const QString key = Normalized(announced);
    const QString name = QFileInfo(key).fileName();
    const QVector<Entry> &table = Table();
    // A host on a file system that ignores case may announce the path in its own case; else
    // the file name tells, when only one request of the host has it.
    int same_case = -1, same_name = -1, names = 0;
    for (int i = 0; i < table.size(); ++i) {
        const Entry &e = table.at(i);
        if (e.ip != ip)
            continue;
        if (same_case < 0 && e.remote.compare(key, Qt::CaseInsensitive) == 0)
            same_case = i;
        if (QFileInfo(e.remote).fileName().compare(name, Qt::CaseInsensitive) == 0) {
            same_name = i;
            ++names;
        }
    }
    if (same_case >= 0)
        return same_case;
    return names == 1 ? same_name : -1;
}
} // namespace

QString Normalized(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    p = QDir::cleanPath(p);
    if (p.size() >= 2 && p.at(1) == QLatin1Char(':') && p.at(0).isLetter())
        p[0] = p.at(0).toLower();
    return p;
}

void Set(const QString &ip, const QString &remote_path, const QString &save_path)
{
    const int i = Find(ip, remote_path);
    if (i >= 0)
        Table()[i].save = save_path;
    else
        Table().append(Entry{ip, Normalized(remote_path), save_path});
}

QString Take(const QString &ip, const QString &remote_path)
{
    const int i = Match(ip, remote_path);
    return i < 0 ? QString() : Table().takeAt(i).save;
}

void Remove(const QString &ip, const QString &remote_path)
{
    const int i = Find(ip, remote_path);
    if (i >= 0)
        Table().remove(i);
}

} // namespace PendingSavePaths
