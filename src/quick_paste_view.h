#pragma once

#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>

// The quick paste window's controller: a QML engine of its own whose context holds the
// shared services, the window created from it on first use, and the hot keys' toggle. A
// window left hidden for a while is given back and made again on the next request.
class CQuickPasteView : public QObject
{
    Q_OBJECT
public:
    explicit CQuickPasteView(QObject *parent = nullptr);
    ~CQuickPasteView() override;

    // Null until a request has created the window.
    QQuickWindow *window() const { return m_window; }
    QQmlEngine *engine() { return &m_engine; }
    // How long the window stays hidden before it is given back; 0 keeps it.
    void setReleaseHiddenAfter(int msecs);

public slots:
    // Shows the window (on the Pin list when to_pin) or hides it when it is visible.
    void ShowQuickPaste(bool to_pin = false);

private:
    void Init();
    // Puts the window in the middle of the screen the user works on, unless it already
    // is on that screen (where a place the user dragged it to is kept).
    void placeOnForegroundScreen();
    void releaseHiddenWindow();

    QQmlEngine m_engine;
    QPointer<QQmlContext> m_context;
    QPointer<QQuickWindow> m_window;
    QTimer m_hiddenTimer;
    bool m_placed = false;
    // Where a released window stood, so that the next one opens there again.
    QPoint m_lastPosition;
    QPointer<QScreen> m_lastScreen;
};
