// TolvaneHelper: started by Tolvane when it wants a restart. Waits until the running
// instance has let go of its single-instance lock, then starts Tolvane again.
#include "os/single_instance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

namespace {
constexpr int kWaitLimitMs = 10000;
constexpr int kPollMs = 100;
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString lock_path = SingleInstanceLock::defaultLockPath();
    QDeadlineTimer deadline(kWaitLimitMs);
    while (!SingleInstanceLock::isFree(lock_path) && !deadline.hasExpired())
        QThread::msleep(kPollMs);
    const QString app_path = QCoreApplication::applicationDirPath() + QStringLiteral("/tolvane");
    return QProcess::startDetached(app_path, {}) ? 0 : 1;
}
