// TEMPORARY: operations of the Linux layer that are being built next. Each logs that it is
// not available instead of pretending to work. This file goes away when they land.
#include "logging.h"
#include "os/linux/os_linux.h"

#include <QGuiApplication>

bool COSLinux::RevealInFileManager(const QList<QUrl> &)
{
    qCWarning(lcOs) << Q_FUNC_INFO << "not available yet";
    return false;
}

void COSLinux::SendPasteKeystroke()
{
    qCWarning(lcOs) << Q_FUNC_INFO << "not available yet";
}

void COSLinux::SetAutoRun(bool)
{
    qCWarning(lcOs) << Q_FUNC_INFO << "not available yet";
}

void COSLinux::MoveFileWithUndo(const QString &, const QString &)
{
    qCWarning(lcOs) << Q_FUNC_INFO << "not available yet";
}

void COSLinux::SetupMainWindow(QQuickWindow *, QQmlContext *) {}

void COSLinux::SetupQuickPasteWindow(QQuickWindow *, QQmlContext *) {}

bool COSLinux::IsSystemDarkTheme()
{
    return false;
}

QScreen *COSLinux::ForegroundScreen()
{
    return QGuiApplication::primaryScreen();
}

bool COSLinux::IsCompositingManagerRunning()
{
    return false;
}

QString COSLinux::FindRunningExecutable(const QString &)
{
    return QString();
}
