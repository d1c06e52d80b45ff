#pragma once

#include "tolvane_process.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>

#include <memory>
#include <vector>

// The real tolvane in a network namespace, with an X server, a session bus, a HOME and
// folders of its own, driven through its test control channel.
class LinkedHost
{
public:
    LinkedHost(const QString &netns, const QString &password);
    ~LinkedHost();

    // Starts the X server, the bus and the program, and opens the control channel.
    bool start(QString *why);
    const TolvaneEnvironment &env() const { return m_env; }
    QString log() const { return m_app ? m_app->log() : QString(); }

    void command(const QJsonObject &cmd);
    // The connector's hosts as the program reports them (an empty array on time-out).
    QJsonArray hosts();
    // Waits for a signal of the connector for which accept(args) holds.
    bool waitForSignal(const QString &name, const std::function<bool(const QJsonArray &)> &accept,
                       int timeout_ms = 30000);
    // Puts bytes of a MIME type on this host's clipboard, as another application would.
    bool copy(const QString &mime_type, const QByteArray &bytes);

private:
    QProcess *startInNetns(const QString &program, const QStringList &args,
                           const QProcessEnvironment &env);
    void readLines();

    QString m_netns;
    TolvaneEnvironment m_env;
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    std::unique_ptr<TolvaneProcess> m_app;
    QLocalSocket m_control;
    QByteArray m_buffer;
    QList<QJsonObject> m_signals;
    QList<QJsonObject> m_replies;
};
