#pragma once

#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QQmlEngine;
class QQmlError;

// Collects every warning that Qt and QML print while a test runs, from any thread: what a
// QML engine reports (script errors, failed bindings, missing files) and what the toolkit
// only writes with qWarning (objects created outside a scene, broken anchors...). The
// program's own categories ("tolvane.*") are left out: tests check those themselves.
// Messages still reach the test framework's handler, which prints them. Exposed to QML
// tests as `qml_warnings`.
class QtWarningLog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)
    Q_PROPERTY(QStringList messages READ messages NOTIFY changed)
public:
    static QtWarningLog *instance();

    // Puts the log's message handler above the one in place now, the test framework's:
    // call it from initTestCase. QtTest drops its handler (and so this one) at the end.
    void listenNow();
    // For runners whose framework starts logging later (Qt Quick Test starts when the
    // first test case runs): listens from the first turn of the event loop after that.
    void listenOnceTestLoggingStarts();
    // Engine warnings are taken from the engine too, so none is lost before listening.
    void watch(QQmlEngine *engine);

    int count() const;
    QStringList messages() const;
    // Returns the messages so far and starts afresh.
    QStringList take();
    // Removes and returns the messages that contain `needle`: a test that provokes a
    // warning on purpose takes it out.
    Q_INVOKABLE QStringList takeMatching(const QString &needle);
    // From the message handler, on whatever thread logged.
    void onMessage(const QString &message);

signals:
    void changed();

private:
    QtWarningLog() = default;
    void onEngineWarnings(const QList<QQmlError> &warnings);
    void record(const QString &message);

    mutable QMutex m_mutex;
    QStringList m_messages;
    // Engine warnings are printed as well; their printed copy is not counted again.
    QStringList m_printedEngineWarnings;
    QTimer m_waitForLogging;
};
