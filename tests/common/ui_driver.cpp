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

QPoint OnScreen(QWindow *window, const QPointF &local)
{
    QPoint origin = window->mapToGlobal(QPoint());
    const QString info = Run("xwininfo", {"-id", QString::number(window->winId())});
    for (const QString &line : info.split('\n')) {
        const QString field = line.trimmed();
        if (field.startsWith("Absolute upper-left X:"))
            origin.setX(field.section(':', 1).trimmed().toInt());
        else if (field.startsWith("Absolute upper-left Y:"))
            origin.setY(field.section(':', 1).trimmed().toInt());
    }
    return origin + local.toPoint();
}

QPoint OnScreen(QQuickItem *item, const QPointF &local)
{
    return OnScreen(item->window(), item->mapToScene(local));
}

bool SaveShot(QQuickWindow *window, const QString &path, int settle_ms)
{
    QTest::qWait(settle_ms);
    QDir().mkpath(QFileInfo(path).path());
    const QImage shot = window->grabWindow();
    return !shot.isNull() && shot.save(path);
}

namespace {
// The pixels of the picture that show that part of the item.
QRect ShotArea(const QImage &shot, QQuickItem *item, const QRectF &part)
{
    const qreal dpr = item->window() ? item->window()->effectiveDevicePixelRatio() : 1.0;
    const QRectF scene = item->mapRectToScene(part);
    return QRect(qRound(scene.x() * dpr), qRound(scene.y() * dpr), qRound(scene.width() * dpr),
                 qRound(scene.height() * dpr))
        .intersected(shot.rect());
}

int CountNear(const QImage &shot, const QRect &area, const QColor &colour, int tolerance)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = shot.pixel(x, y);
            n += qAbs(qRed(p) - colour.red()) <= tolerance &&
                 qAbs(qGreen(p) - colour.green()) <= tolerance &&
                 qAbs(qBlue(p) - colour.blue()) <= tolerance;
        }
    }
    return n;
}
} // namespace

int PixelsNear(const QImage &shot, QQuickItem *item, const QColor &colour, int tolerance)
{
    return CountNear(shot, ShotArea(shot, item, QRectF(0, 0, item->width(), item->height())),
                     colour, tolerance);
}

int MarkPixels(const QImage &shot, QQuickItem *text_item)
{
    const QString text = text_item->property("text").toString();
    const int at = text.indexOf(QLatin1String("color=\""));
    if (at < 0)
        return 0;
    return PixelsNear(shot, text_item, QColor(text.mid(at + 7, 7)), 40);
}

int InkPixels(const QImage &shot, QQuickItem *item, const QRectF &part)
{
    const QRect area = ShotArea(shot, item, part);
    if (area.isEmpty())
        return 0;
    const QColor background = shot.pixelColor(area.topLeft());
    return area.width() * area.height() - CountNear(shot, area, background, 60);
}

QList<QQuickItem *> VisibleItems(QQuickItem *root, const QString &name, const QString &text_part)
{
    QList<QQuickItem *> found;
    if (!root || !root->isVisible())
        return found;
    if (root->objectName() == name &&
        (text_part.isEmpty() || root->property("text").toString().contains(text_part)))
        found << root;
    const QList<QQuickItem *> children = root->childItems();
    for (QQuickItem *child : children)
        found += VisibleItems(child, name, text_part);
    return found;
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
