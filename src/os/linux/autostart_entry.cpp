#include "os/linux/autostart_entry.h"

#include "os/os_logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace AutostartEntry {

QString FilePath(const QString &app_name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + app_name + QStringLiteral(".desktop");
}

QString ExecArgument(const QString &arg)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needs_quotes =
        std::any_of(arg.begin(), arg.end(), [](QChar c) { return reserved.contains(c); });
    QString quoted;
    if (needs_quotes) {
        quoted += QLatin1Char('"');
        for (const QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        quoted += QLatin1Char('"');
    } else {
        quoted = arg;
    }
    // A literal % would start a field code.
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));

    // Readers undo the string escapes before the quoting, so they go on last.
    QString value;
    for (const QChar c : qAsConst(quoted)) {
        if (c == QLatin1Char('\\'))
            value += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            value += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            value += QLatin1String("\\r");
        else
            value += c;
    }
    return value;
}

QByteArray Contents(const QString &app_name, const QString &executable)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(app_name, ExecArgument(executable));
    return text.toUtf8();
}

void Apply(bool enable)
{
    const QString app_name = QCoreApplication::applicationName();
    const QString path = FilePath(app_name);
    if (!enable) {
        if (QFile::exists(path) && !QFile::remove(path))
            qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "cannot remove" << path;
        return;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "cannot create the folder of" << path;
        return;
    }
    // Written whole or not at all, so a session never starts from half an entry.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(Contents(app_name, QCoreApplication::applicationFilePath())) < 0 ||
        !file.commit())
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "cannot write" << path << file.errorString();
}

} // namespace AutostartEntry
