#include "sway_tree.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {
constexpr int kRunTimeoutMs = 20000;

template <class Visit> void Walk(const QJsonObject &node, const Visit &visit)
{
    visit(node);
    for (const char *key : {"nodes", "floating_nodes"}) {
        const QJsonArray children = node.value(QLatin1String(key)).toArray();
        for (const QJsonValue &child : children)
            Walk(child.toObject(), visit);
    }
}

QJsonObject Tree()
{
    return QJsonDocument::fromJson(SwayTree::Run("swaymsg", {"-r", "-t", "get_tree"})).object();
}
} // namespace

namespace SwayTree {

QByteArray Run(const QString &program, const QStringList &args, const QByteArray &input)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(kRunTimeoutMs))
        return {};
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(kRunTimeoutMs) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

QJsonObject FocusedWindow()
{
    QJsonObject found;
    Walk(Tree(), [&](const QJsonObject &node) {
        if (node.value("focused").toBool() && node.contains("pid"))
            found = node;
    });
    return found;
}

QJsonObject Window(qint64 id)
{
    QJsonObject found;
    Walk(Tree(), [&](const QJsonObject &node) {
        if (qint64(node.value("id").toDouble()) == id)
            found = node;
    });
    return found;
}

QStringList WindowTitles(qint64 pid)
{
    QStringList titles;
    Walk(Tree(), [&](const QJsonObject &node) {
        if (qint64(node.value("pid").toDouble()) == pid && node.value("visible").toBool())
            titles << node.value("name").toString();
    });
    return titles;
}

} // namespace SwayTree
