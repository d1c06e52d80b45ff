#include "ui_driver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace UiDriver {

QString Run(const QString &program, const QStringList &args)
{
    QProcess tool;
    tool.start(program, args);
    if (!tool.waitForStarted(5000))
        return QString();
    QElapsedTimer timer;
    timer.start();
    // The tool may end while the events run (a handler with a local event loop): then
    // waitForFinished() no longer reports it, the state does.
    while (tool.state() != QProcess::NotRunning && !tool.waitForFinished(10) &&
           timer.elapsed() < 10000)
        QCoreApplication::processEvents();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

void Key(const QStringList &combos)
{
    for (const QString &combo : combos) {
        Run("xdotool", {"key", "--clearmodifiers", combo});
        // Let the window handle the key before the next one arrives.
        QTest::qWait(30);
    }
}

void Type(const QString &text)
{
    Run("xdotool", {"type", "--delay", "20", text});
    QTest::qWait(30);
}

QString ForeignClipboard(const QString &target)
{
    QStringList args{"-selection", "clipboard", "-o"};
    if (!target.isEmpty())
        args << "-t" << target;
    return Run("xclip", args);
}

bool Activate(QQuickWindow *window)
{
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    if (window->isActive())
        return true;
    Run("xdotool", {"windowactivate", "--sync", QString::number(window->winId())});
    return QTest::qWaitForWindowActive(window);
}

bool SaveShot(QQuickWindow *window, const QString &path, int settle_ms)
{
    QTest::qWait(settle_ms);
    QDir().mkpath(QFileInfo(path).path());
    const QImage shot = window->grabWindow();
    return !shot.isNull() && shot.save(path);
}

namespace {
QObject *FindIn(QQuickItem *item, const QString &name)
{
    if (item->objectName() == name)
        return item;
    if (QObject *o = item->findChild<QObject *>(name))
        return o;
    for (QQuickItem *child : item->childItems()) {
        if (QObject *o = FindIn(child, name))
            return o;
    }
    return nullptr;
}
} // namespace

QObject *Find(QQuickWindow *window, const QString &name)
{
    if (QObject *o = window->findChild<QObject *>(name))
        return o;
    return FindIn(window->contentItem(), name);
}

} // namespace UiDriver
