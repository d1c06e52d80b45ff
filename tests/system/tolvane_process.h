#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// The real tolvane binary in a private environment of its own (HOME, XDG folders, runtime
// folder, TMPDIR), sharing only the test's display (X11, or the Wayland compositor given by
// an absolute WAYLAND_DISPLAY) and session bus. Its debug log is
// collected so a test can wait for what the program reports instead of guessing delays.
class TolvaneEnvironment
{
public:
    // `platform` is the Qt platform the program runs on ("xcb" or "wayland"; empty leaves
    // the choice to the program).
    explicit TolvaneEnvironment(const QString &platform = QStringLiteral("xcb"));
    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString cacheDir() const; // the program's own cache folder (organisation/application)
    QString settingsFile() const;
    // The free port its link server is set to listen on.
    quint16 linkPort() const { return m_linkPort; }
    // Starts the program with these settings (INI text) instead of none.
    bool writeSettings(const QByteArray &ini) const;
    QProcessEnvironment processEnvironment() const;

private:
    QTemporaryDir m_dir;
    quint16 m_linkPort;
    QString m_platform;
};

// The binary is the one built with the test (TOLVANE_BIN), unless the environment variable
// TOLVANE_BIN names a copy elsewhere.
class TolvaneProcess
{
public:
    // On the test's display, or on `display` when one is given.
    explicit TolvaneProcess(const TolvaneEnvironment &env, const QString &display = QString());
    ~TolvaneProcess();

    bool start();
    // Counts occurrences of needle in the log collected so far.
    int count(const QString &needle) const;
    // Processes events until needle has occurred at least n times (false if the program
    // ends or the time runs out first).
    bool waitForCount(const QString &needle, int n, int timeout_ms = 10000);
    bool sendSignal(int signo);
    bool waitForFinished(int timeout_ms = 10000);

    QProcess &process() { return m_process; }
    QString log() const { return QString::fromUtf8(m_log); }

private:
    QProcess m_process;
    QByteArray m_log;
};

// The helper programs a test starts (clipboard owners, xclip); all of them end with endAll().
class ChildProcesses
{
public:
    ~ChildProcesses() { endAll(); }
    // Starts a program, on the given X display when one is named; null if it did not start.
    QProcess *start(const QString &program, const QStringList &args,
                    const QString &display = QString());
    // Starts a clipboard owner that prints "ready" once it owns the clipboard; null unless
    // it does.
    QProcess *startOwner(const QString &program, const QStringList &args,
                         const QString &display = QString());
    void endAll();

private:
    std::vector<std::unique_ptr<QProcess>> m_children;
};

// A file's bytes; empty when it cannot be read.
QByteArray ReadAll(const QString &path);
