#include "os/linux/file_manager_reveal.h"

#include "os/os_logging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDesktopServices>
#include <QFileInfo>

namespace {
const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");

// Whether a file manager runs on the session bus or can be started there.
bool FileManagerOffered(const QDBusConnection &bus)
{
    QDBusConnectionInterface *iface = bus.interface();
    if (!iface)
        return false;
    if (iface->isServiceRegistered(kFileManagerService).value())
        return true;
    const QDBusReply<QStringList> activatable = iface->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kFileManagerService);
}

bool OpenFolderOf(const QString &file)
{
    const QString folder = QFileInfo(file).absolutePath();
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    if (!opened)
        qCWarning(lcOs) << "RevealInFileManager: cannot open" << folder;
    return opened;
}
} // namespace

bool FileManagerReveal::ShowItems(const QList<QUrl> &files, QObject *context)
{
    QStringList uris;
    QString first;
    for (const QUrl &url : files) {
        if (!url.isLocalFile()) {
            qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "not a local file" << url;
            continue;
        }
        const QString path = QFileInfo(url.toLocalFile()).absoluteFilePath();
        if (first.isEmpty())
            first = path;
        uris << QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded());
    }
    if (uris.isEmpty())
        return false;

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !FileManagerOffered(bus))
        return OpenFolderOf(first);

    // Asynchronous, so that a file manager that is slow to start does not freeze the
    // window; when it turns the request down, the folder opens instead.
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFileManagerService, QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context, [first](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<> reply = *w;
            if (!reply.isError())
                return;
            // No answer in time still means the file manager has the request.
            if (reply.error().type() == QDBusError::NoReply ||
                reply.error().type() == QDBusError::Timeout)
                return;
            qCDebug(lcOs) << "file manager refused ShowItems:" << reply.error().message();
            OpenFolderOf(first);
        });
    return true;
}
