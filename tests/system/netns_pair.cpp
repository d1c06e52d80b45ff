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

NetnsPair::NetnsPair(const QString &prefix, const QString &subnet) : m_subnet(subnet)
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    m_a = prefix + QStringLiteral("a-") + pid;
    m_b = prefix + QStringLiteral("b-") + pid;
    // Interface names have at most 15 characters: "t" and the prefix's digits.
    const QString tag = QStringLiteral("t") + QString(prefix).remove(QRegularExpression("\\D"));
    m_vethA = tag + QStringLiteral("a") + pid;
    m_vethB = tag + QStringLiteral("b") + pid;
    if (geteuid() != 0) {
        m_error = QStringLiteral("network namespaces need root");
        return;
    }
    const QList<QStringList> steps = {
        {"netns", "add", m_a},
        {"netns", "add", m_b},
        {"link", "add", m_vethA, "netns", m_a, "type", "veth", "peer", "name", m_vethB, "netns",
         m_b},
        {"-n", m_a, "addr", "add", addressA() + "/24", "dev", m_vethA},
        {"-n", m_b, "addr", "add", addressB() + "/24", "dev", m_vethB},
        {"-n", m_a, "link", "set", m_vethA, "up"},
        {"-n", m_b, "link", "set", m_vethB, "up"},
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

void NetnsPair::removeStale(const QString &prefix)
{
    QString out;
    if (!runIp({"netns", "list"}, &out))
        return;
    const QRegularExpression name(
        QStringLiteral("^(%1[ab]-(\\d+))").arg(QRegularExpression::escape(prefix)),
        QRegularExpression::MultilineOption);
    auto it = name.globalMatch(out);
    while (it.hasNext()) {
        const auto m = it.next();
        const pid_t pid = pid_t(m.captured(2).toLongLong());
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            runIp({"netns", "del", m.captured(1)});
    }
}
