#include "os/linux/running_processes.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString RunningProcesses::FindExecutable(const QString &base_name)
{
    const QString wanted = base_name.toLower();
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok)
            pids.append(pid);
    }
    // Numeric order, so the answer does not depend on the order of the listing.
    std::sort(pids.begin(), pids.end());
    for (qint64 pid : qAsConst(pids)) {
        // Unreadable for other users' processes: those simply do not match.
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (exe.isEmpty() || exe.endsWith(QLatin1String(" (deleted)")))
            continue;
        if (QFileInfo(exe).completeBaseName().toLower() == wanted)
            return exe;
    }
    return QString();
}
