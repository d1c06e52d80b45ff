#include "netns_pair.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <unistd.h>

bool NetnsPair::runIp(const QStringList &args, QString *out)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("ip"), args);
    const bool ok =
        p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (out)
        *out = QString::fromLocal8Bit(p.readAll());
    return ok;
}

NetnsPair::NetnsPair()
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    m_a = QStringLiteral("tlv13a-") + pid;
    m_b = QStringLiteral("tlv13b-") + pid;
    if (geteuid() != 0) {
        m_error = QStringLiteral("network namespaces need root");
        return;
    }
    const QString veth_a = QStringLiteral("t13a") + pid;
    const QString veth_b = QStringLiteral("t13b") + pid;
    const QList<QStringList> steps = {
        {"netns", "add", m_a},
        {"netns", "add", m_b},
        {"link", "add", veth_a, "netns", m_a, "type", "veth", "peer", "name", veth_b, "netns", m_b},
        {"-n", m_a, "addr", "add", QString(kAddressA) + "/24", "dev", veth_a},
        {"-n", m_b, "addr", "add", QString(kAddressB) + "/24", "dev", veth_b},
        {"-n", m_a, "link", "set", veth_a, "up"},
        {"-n", m_b, "link", "set", veth_b, "up"},
        {"-n", m_a, "link", "set", "lo", "up"},
        {"-n", m_b, "link", "set", "lo", "up"},
    };
    for (const QStringList &step : steps) {
        QString out;
        if (!runIp(step, &out)) {
            m_error = QStringLiteral("ip ") + step.join(' ') + QStringLiteral(": ") + out;
            return;
        }
    }
}

NetnsPair::~NetnsPair()
{
    // The veth pair goes with its namespaces.
    runIp({"netns", "del", m_a});
    runIp({"netns", "del", m_b});
}

void NetnsPair::removeStale()
{
    QString out;
    if (!runIp({"netns", "list"}, &out))
        return;
    static const QRegularExpression name(QStringLiteral("^(tlv13[ab]-(\\d+))"),
                                         QRegularExpression::MultilineOption);
    auto it = name.globalMatch(out);
    while (it.hasNext()) {
        const auto m = it.next();
        const pid_t pid = pid_t(m.captured(2).toLongLong());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            runIp({"netns", "del", m.captured(1)});
    }
}
