#include "linked_host.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

LinkedHost::LinkedHost(const QString &netns, const Options &options)
    : m_netns(netns), m_options(options)
{
    // Alone in its namespace, it listens on the default port. No password: the user's choice,
    // not a first start's.
    m_env.writeSettings(
        options.extra_ini + "\n[connect]\nconnect_local_pwd=" + options.password.toUtf8() +
        "\nconnect_local_pwd_open=" + (options.password.isEmpty() ? "true" : "false") +
        "\nconnect_port=8121\n");
}

LinkedHost::~LinkedHost()
{
    m_control.abort();
    m_app.reset();
    for (auto &p : m_helpers) {
        p->kill();
        p->waitForFinished(5000);
    }
}

QProcess *LinkedHost::startInNetns(const QString &program, const QStringList &args,
                                   const QProcessEnvironment &env)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env);
    p->start(QStringLiteral("ip"), QStringList{"netns", "exec", m_netns, program} + args);
    if (!p->waitForStarted(10000))
        return nullptr;
    m_helpers.push_back(std::move(p));
    return m_helpers.back().get();
}

bool LinkedHost::start(QString *why)
{
    QProcessEnvironment base = m_env.processEnvironment();
    // Xvfb reports the display it took on stdout.
    QProcess *x = startInNetns(QStringLiteral("Xvfb"),
                               {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten",
                                "tcp", "+extension", "XFIXES"},
                               base);
    if (!x || !QTest::qWaitFor([x] { return x->canReadLine(); }, 20000)) {
        *why = QStringLiteral("Xvfb did not start");
        return false;
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(x->readLine().trimmed());

    // A bus on a path: the test session's bus is not reachable from another namespace.
    const QString bus = m_env.root() + QStringLiteral("/bus");
    QProcess *dbus = startInNetns(QStringLiteral("dbus-daemon"),
                                  {"--session", "--nofork", "--address=unix:path=" + bus}, base);
    if (!dbus || !QTest::qWaitFor([&] { return QFile::exists(bus); }, 10000)) {
        *why = QStringLiteral("dbus-daemon did not start");
        return false;
    }

    const QString control = m_env.root() + QStringLiteral("/control");
    base.insert(QStringLiteral("DISPLAY"), m_display);
    base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + bus);
    if (m_options.control)
        base.insert(QStringLiteral("TOLVANE_TEST_CONTROL"), control);
    if (m_options.desktop && !startInNetns(QStringLiteral("openbox"), {}, base)) {
        *why = QStringLiteral("openbox did not start");
        return false;
    }
    QStringList program = {QStringLiteral(TOLVANE_BIN)};
    // A machine name of its own needs a UTS namespace of its own.
    if (!m_options.hostname.isEmpty())
        program =
            QStringList{"unshare",         "--uts", "sh", "-c", "hostname \"$0\" && exec \"$1\"",
                        m_options.hostname} +
            program;
    m_app = std::make_unique<TolvaneProcess>(m_env);
    m_app->process().setProcessEnvironment(base);
    m_app->process().setProgram(QStringLiteral("ip"));
    m_app->process().setArguments(QStringList{"netns", "exec", m_netns} + program);
    if (!m_app->start() ||
        !m_app->waitForCount(QStringLiteral("server listening on port"), 1, 60000)) {
        *why = QStringLiteral("tolvane did not start its server:\n") + m_app->log();
        return false;
    }
    if (!m_options.control)
        return true;
    m_control.connectToServer(control);
    if (!m_control.waitForConnected(10000)) {
        *why = QStringLiteral("no control channel: ") + m_control.errorString();
        return false;
    }
    QObject::connect(&m_control, &QLocalSocket::readyRead, [this] { readLines(); });
    return true;
}

void LinkedHost::readLines()
{
    m_buffer += m_control.readAll();
    int nl;
    while ((nl = m_buffer.indexOf('\n')) >= 0) {
        const QJsonObject obj = QJsonDocument::fromJson(m_buffer.left(nl)).object();
        m_buffer.remove(0, nl + 1);
        if (obj.contains(QStringLiteral("signal")))
            m_signals.append(obj);
        else
            m_replies.append(obj);
    }
}

void LinkedHost::command(const QJsonObject &cmd)
{
    m_control.write(QJsonDocument(cmd).toJson(QJsonDocument::Compact) + '\n');
    m_control.flush();
}

QJsonArray LinkedHost::hosts()
{
    m_replies.clear();
    command({{"cmd", "hosts"}});
    if (!QTest::qWaitFor([this] { return !m_replies.isEmpty(); }, 10000))
        return QJsonArray();
    return m_replies.takeFirst().value(QStringLiteral("hosts")).toArray();
}

bool LinkedHost::waitForSignal(const QString &name,
                               const std::function<bool(const QJsonArray &)> &accept,
                               int timeout_ms)
{
    return QTest::qWaitFor(
        [&] {
            for (int i = 0; i < m_signals.size(); ++i) {
                const QJsonObject s = m_signals.at(i);
                if (s.value("signal").toString() == name && accept(s.value("args").toArray())) {
                    m_signals.removeAt(i);
                    return true;
                }
            }
            return false;
        },
        timeout_ms);
}

QProcessEnvironment LinkedHost::displayEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    return env;
}

QByteArray LinkedHost::run(const QString &program, const QStringList &args, bool *ok)
{
    QProcess p;
    p.setProcessEnvironment(displayEnvironment());
    p.start(QStringLiteral("ip"), QStringList{"netns", "exec", m_netns, program} + args);
    // The program under test answers the tool meanwhile: keep the event loop turning.
    const bool ended = p.waitForStarted(10000) &&
                       QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000);
    if (!ended)
        p.kill();
    if (ok)
        *ok = ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return p.readAllStandardOutput();
}

bool LinkedHost::copy(const QString &mime_type, const QByteArray &bytes)
{
    // xclip in the foreground owns the clipboard until another client takes it.
    QProcess *xclip =
        startInNetns(QStringLiteral("xclip"),
                     {"-quiet", "-selection", "clipboard", "-t", mime_type}, displayEnvironment());
    if (!xclip)
        return false;
    xclip->write(bytes);
    xclip->closeWriteChannel();
    return true;
}
