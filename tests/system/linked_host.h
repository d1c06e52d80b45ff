#pragma once

#include "tolvane_process.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>

#include <memory>
#include <vector>

// The real tolvane in a network namespace, with an X server, a session bus, a HOME and
// folders of its own; its link server on the default port. Driven either through its test
// control channel or, like a person, through its X server alone.
class LinkedHost
{
public:
    struct Options
    {
        QString password;     // the link password it asks of others
        QString hostname;     // its machine name, in a namespace of its own; empty: shared
        bool control = true;  // open the test control channel
        bool desktop = false; // a window manager on its X server
        QByteArray extra_ini; // further settings, top-level keys
    };

    LinkedHost(const QString &netns, const Options &options);
    ~LinkedHost();

    // Starts the X server, the bus and the program, and opens the control channel.
    bool start(QString *why);
    const TolvaneEnvironment &env() const { return m_env; }
    QString log() const { return m_app ? m_app->log() : QString(); }
    QString display() const { return m_display; }

    void command(const QJsonObject &cmd);
    // The connector's hosts as the program reports them (an empty array on time-out).
    QJsonArray hosts();
    // Waits for a signal of the connector for which accept(args) holds.
    bool waitForSignal(const QString &name, const std::function<bool(const QJsonArray &)> &accept,
                       int timeout_ms = 30000);
    // Puts bytes of a MIME type on this host's clipboard, as another application would.
    bool copy(const QString &mime_type, const QByteArray &bytes);
    // Runs a program in this host's namespace on its X server to its end; its output.
    QByteArray run(const QString &program, const QStringList &args, bool *ok = nullptr);

private:
    QProcess *startInNetns(const QString &program, const QStringList &args,
                           const QProcessEnvironment &env);
    QProcessEnvironment displayEnvironment() const;
    void readLines();

    QString m_netns;
    Options m_options;
    TolvaneEnvironment m_env;
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_helpers;
    std::unique_ptr<TolvaneProcess> m_app;
    QLocalSocket m_control;
    QByteArray m_buffer;
    QList<QJsonObject> m_signals;
    QList<QJsonObject> m_replies;
};
