#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>

class LinkedHost;

// A person at one linked host: keys, typing and the mouse through xdotool, the clipboard
// through xclip, and what the screen shows, read from screenshots with OCR. Positions are
// given inside the main window.
class HostScreen
{
public:
    explicit HostScreen(LinkedHost &host) : m_host(host) {}

    // Calls the main window up with its hot key until it shows; false if it never does.
    bool showMainWindow();
    QRect window() const { return m_window; }

    void key(const QStringList &combos);
    void type(const QString &text);
    void moveTo(const QPoint &in_window);
    void click(const QPoint &in_window);
    QString clipboard(const QString &target = QString());
    // The id of a visible window whose name is this one, or empty.
    QString findWindow(const QString &name);

    QImage shot();
    bool saveShot(const QString &path);
    // The text OCR reads in an area of the window, lower-cased, on one line.
    QString read(const QRect &area);
    // Reads the area until accept holds for its text; the last reading goes to *last.
    bool waitForText(const QRect &area, const std::function<bool(const QString &)> &accept,
                     int timeout_ms, QString *last = nullptr);
    // Until every word shows; letters and digits count, OCR may lose dots and blanks.
    bool waitForWords(const QRect &area, const QStringList &words, int timeout_ms,
                      QString *last = nullptr);

private:
    QString xdotool(const QStringList &args);

    LinkedHost &m_host;
    QRect m_window;
    QString m_windowId;
};
