#include "tolvane_process.h"

#include "free_port.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>

TolvaneEnvironment::TolvaneEnvironment(const QString &platform)
    : m_dir(QDir::tempPath() + "/tolvane-sys-XXXXXX"), m_linkPort(FreeTcpPort()),
      m_platform(platform)
{
    for (const char *sub : {"/home", "/config", "/cache", "/data", "/run", "/tmp"})
        QDir().mkpath(root() + sub);
    // The runtime folder must be private, or Qt ignores it.
    QFile::setPermissions(root() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The link server listens on a free port, not on the default one of the host.
    writeSettings(QByteArray());
}

QString TolvaneEnvironment::cacheDir() const
{
    return root() + "/cache/Marden/Tolvane";
}

QString TolvaneEnvironment::settingsFile() const
{
    return root() + "/config/Marden/Tolvane.conf";
}

bool TolvaneEnvironment::writeSettings(const QByteArray &ini) const
{
    QDir().mkpath(QFileInfo(settingsFile()).path());
    QFile file(settingsFile());
    // The program under test never asks the real update feed (keys before the first
    // group header are general ones), and the link server keeps its free port unless
    // the test chooses one.
    QByteArray text = ini;
    if (!text.contains("app_autoupdate"))
        text.prepend("app_autoupdate=false\n");
    if (!text.contains("connect_port"))
        text += "\n[connect]\nconnect_port=" + QByteArray::number(m_linkPort) + "\n";
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QProcessEnvironment TolvaneEnvironment::processEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root() + "/home");
    env.insert("XDG_CONFIG_HOME", root() + "/config");
    env.insert("XDG_CACHE_HOME", root() + "/cache");
    env.insert("XDG_DATA_HOME", root() + "/data");
    env.insert("XDG_RUNTIME_DIR", root() + "/run");
    env.insert("TMPDIR", root() + "/tmp");
    // No platform: the program chooses, as it does when a user starts it.
    if (m_platform.isEmpty())
        env.remove("QT_QPA_PLATFORM");
    else
        env.insert("QT_QPA_PLATFORM", m_platform);
    env.insert("QT_LOGGING_RULES", "tolvane.*.debug=true");
    return env;
}

TolvaneProcess::TolvaneProcess(const TolvaneEnvironment &env, const QString &display)
{
    m_process.setProgram(qEnvironmentVariable("TOLVANE_BIN", QStringLiteral(TOLVANE_BIN)));
    QProcessEnvironment process_env = env.processEnvironment();
    if (!display.isEmpty())
        process_env.insert(QStringLiteral("DISPLAY"), display);
    m_process.setProcessEnvironment(process_env);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&m_process, &QProcess::readyRead, [this] { m_log += m_process.readAll(); });
}

TolvaneProcess::~TolvaneProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool TolvaneProcess::start()
{
    m_process.start();
    return m_process.waitForStarted(10000);
}

int TolvaneProcess::count(const QString &needle) const
{
    return QString::fromUtf8(m_log).count(needle);
}

bool TolvaneProcess::waitForCount(const QString &needle, int n, int timeout_ms)
{
    // A program that has already ended will log nothing more, but its last lines may still
    // be unread when the wait ends.
    const auto found = [&] {
        return count(needle) >= n;
    };
    if (QTest::qWaitFor([&] { return found() || m_process.state() == QProcess::NotRunning; },
                        timeout_ms) &&
        found())
        return true;
    m_log += m_process.readAll();
    return found();
}

bool TolvaneProcess::sendSignal(int signo)
{
    const qint64 pid = m_process.processId();
    return pid > 0 && ::kill(pid_t(pid), signo) == 0;
}

bool TolvaneProcess::waitForFinished(int timeout_ms)
{
    const bool done =
        QTest::qWaitFor([&] { return m_process.state() == QProcess::NotRunning; }, timeout_ms);
    m_log += m_process.readAll();
    return done;
}

QProcess *ChildProcesses::start(const QString &program, const QStringList &args,
                                const QString &display)
{
    auto p = std::make_unique<QProcess>();
    if (!display.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        p->setProcessEnvironment(env);
    }
    p->start(program, args);
    QProcess *raw = p.get();
    m_children.push_back(std::move(p));
    return raw->waitForStarted(10000) ? raw : nullptr;
}

QProcess *ChildProcesses::startOwner(const QString &program, const QStringList &args,
                                     const QString &display)
{
    QProcess *p = start(program, args, display);
    if (!p ||
        !QTest::qWaitFor([p] { return p->canReadLine() || p->state() == QProcess::NotRunning; },
                         10000) ||
        p->readLine().trimmed() != "ready")
        return nullptr;
    return p;
}

void ChildProcesses::endAll()
{
    for (auto &p : m_children) {
        p->kill();
        p->waitForFinished(3000);
    }
    m_children.clear();
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
