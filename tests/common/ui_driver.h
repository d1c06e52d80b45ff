#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

class QObject;
class QQuickItem;
class QQuickWindow;
class QWindow;
class QPointF;

// Drives a window the way a user does: real X key events from another X client
// (xdotool), the clipboard as another client reads it (xclip). The event loop keeps
// running while those tools work, so the window can answer them.
namespace UiDriver {
// Runs a tool to its end while processing events; returns its standard output.
QString Run(const QString &program, const QStringList &args);
// Presses (and releases) each key combination in turn, e.g. "ctrl+d", "Down".
void Key(const QStringList &combos);
void Type(const QString &text);
// The clipboard as another X client reads it: its text, or the given target's data.
QString ForeignClipboard(const QString &target = QString());
// Raises the window and gives it the input focus through the window manager; true once
// the window is active.
bool Activate(QQuickWindow *window);
// Where a point of the window (window coordinates) is on the screen, by the X server's
// account: Qt's own idea of a managed window's position can lag behind the window
// manager's placement on a busy machine.
QPoint OnScreen(QWindow *window, const QPointF &local);
// The same for a point of an item (item coordinates).
QPoint OnScreen(QQuickItem *item, const QPointF &local);
// Waits settle_ms for animations and asynchronous images, then saves a picture of the
// window as `path` (PNG), making its folder; false when no picture could be saved.
bool SaveShot(QQuickWindow *window, const QString &path, int settle_ms);
// How many pixels of a picture of the window, inside the item, are within `tolerance` of
// the colour in each channel.
int PixelsNear(const QImage &shot, QQuickItem *item, const QColor &colour, int tolerance);
// How many pixels of a styled text item are drawn in the colour its text marks matches
// with ("<font color=...>").
int MarkPixels(const QImage &shot, QQuickItem *text_item);
// How many pixels of the part of the item (item coordinates) stand clearly off the colour
// at the part's top left corner, its background: what is drawn there.
int InkPixels(const QImage &shot, QQuickItem *item, const QRectF &part);
// Every visible item of that name below the item, in the visual tree (list rows included)
// whose text, when one is asked for, contains `text_part`.
QList<QQuickItem *> VisibleItems(QQuickItem *root, const QString &name,
                                 const QString &text_part = QString());
// The first object below the window (items, popups, loaders' objects) with that name.
QObject *Find(QQuickWindow *window, const QString &name);
} // namespace UiDriver
