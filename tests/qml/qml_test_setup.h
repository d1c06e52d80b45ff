#pragma once

#include <QObject>
#include <QStringList>

class QQmlEngine;
class QQmlError;

// Counts the warnings of every QML engine of the run (script errors, failed bindings,
// missing files), so that a test that passes its checks while QML misbehaves still fails.
// Exposed to the tests as `qml_warnings`.
class QmlWarningLog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY changed)
    Q_PROPERTY(QStringList messages READ messages NOTIFY changed)
public:
    int count() const { return m_messages.size(); }
    QStringList messages() const { return m_messages; }

    void record(const QList<QQmlError> &warnings);

signals:
    void changed();

private:
    QStringList m_messages;
};

// Gives each test engine the program's real services under their context names, and the
// image provider.
class QmlTestSetup : public QObject
{
    Q_OBJECT
public:
    QmlTestSetup();
    const QmlWarningLog &warningLog() const { return m_log; }

public slots:
    void qmlEngineAvailable(QQmlEngine *engine);

private:
    QmlWarningLog m_log;
};
