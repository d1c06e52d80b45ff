#include "command_line.h"

#include "item/item_limits.h"
#include "os/bus_client.h"
#include "settings/app_identity.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>

#include <climits>
#include <cstdio>

#include <unistd.h>

namespace {
enum ExitCode
{
    kOk = 0,
    kFailed = 1,
    kUsage = 2,
    kNotRunning = 3
};

// Longest line `copy --line` reads: a listed line is far shorter.
constexpr qint64 kMaxLineBytes = 1024 * 1024;

const char kUsageText[] =
    "Usage: tolvane [COMMAND [ARGUMENTS]]\n"
    "\n"
    "Without a command, starts Tolvane (a second start does nothing).\n"
    "Commands talk to the running Tolvane; items are numbered from 0, the newest:\n"
    "  show | hide | toggle      show, hide or toggle the main window\n"
    "  quick-paste [--pin]       open the quick paste window (on the Pin list)\n"
    "  list [--json] [N]         list the (first N) items: number TAB one-line preview\n"
    "  print [--html] N          write item N (its text, HTML source, file paths or\n"
    "                            PNG picture) to standard output\n"
    "  copy N                    put item N on the clipboard\n"
    "  copy --line               the same, for a line of `list` read from standard input\n"
    "  paste N                   paste item N into the focused application\n"
    "  add [TEXT...]             add a text (standard input when none is given)\n"
    "  delete N                  delete item N\n"
    "  clear                     delete every item of the Clipboard list\n"
    "  pause | resume            stop or restart recording the clipboard\n"
    "  status                    tell whether Tolvane runs and records\n"
    "\n"
    "Exit status: 0 done, 1 error, 2 wrong usage, 3 Tolvane is not running.\n"
    "Example: tolvane list | rofi -dmenu | tolvane copy --line\n";

const QStringList kCommands = {
    QStringLiteral("show"),        QStringLiteral("hide"),  QStringLiteral("toggle"),
    QStringLiteral("quick-paste"), QStringLiteral("list"),  QStringLiteral("print"),
    QStringLiteral("copy"),        QStringLiteral("paste"), QStringLiteral("add"),
    QStringLiteral("delete"),      QStringLiteral("clear"), QStringLiteral("pause"),
    QStringLiteral("resume"),      QStringLiteral("status")};

void Out(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void Err(const QString &text)
{
    std::fprintf(stderr, "tolvane: %s\n", text.toLocal8Bit().constData());
}

int Usage(const QString &problem)
{
    Err(problem);
    std::fputs("Try 'tolvane --help'.\n", stderr);
    return kUsage;
}

// Reads standard input up to `limit` bytes; false when there is more.
bool ReadStdin(qint64 limit, QByteArray *out)
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return false;
    *out = in.read(limit);
    return in.read(1).isEmpty();
}

class Session
{
public:
    Session() : m_address(BusAddress::FromAppId(AppIdentity::kDesktopFileName)) {}

    // Calls the method; on failure tells why and sets the exit code.
    bool call(const QString &method, const QVariantList &args = QVariantList(),
              QVariantList *values = nullptr)
    {
        const BusReply r = BusCall(m_address, method, args);
        if (r.status == BusReply::NoInstance) {
            Err(QStringLiteral("Tolvane is not running"));
            m_exit = kNotRunning;
            return false;
        }
        if (r.status == BusReply::Error) {
            Err(r.errorText.isEmpty() ? r.errorName : r.errorText);
            m_exit = kFailed;
            return false;
        }
        if (values)
            *values = r.values;
        return true;
    }
    int exitCode() const { return m_exit; }
    // The rows of List, each [index, type, preview, md5].
    bool list(int first, int count, QVariantList *rows)
    {
        QVariantList values;
        if (!call(QStringLiteral("List"), {first, count}, &values))
            return false;
        *rows = values.value(0).toList();
        return true;
    }

private:
    BusAddress m_address;
    int m_exit = kOk;
};

bool ParseIndex(const QString &text, int *index)
{
    bool ok = false;
    const int i = text.toInt(&ok);
    if (!ok || i < 0)
        return false;
    *index = i;
    return true;
}

int List(Session &s, const QStringList &args)
{
    bool json = false;
    int count = INT_MAX;
    for (const QString &a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (!ParseIndex(a, &count))
            return Usage(QStringLiteral("list: not a number of items: %1").arg(a));
    }
    QVariantList rows;
    if (!s.list(0, count, &rows))
        return s.exitCode();
    if (json) {
        QJsonArray array;
        for (const QVariant &r : rows) {
            const QVariantList f = r.toList();
            array.append(QJsonObject{{QStringLiteral("index"), f.value(0).toInt()},
                                     {QStringLiteral("type"), f.value(1).toString()},
                                     {QStringLiteral("preview"), f.value(2).toString()},
                                     {QStringLiteral("md5"), f.value(3).toString()}});
        }
        Out(QJsonDocument(array).toJson(QJsonDocument::Compact) + '\n');
        return kOk;
    }
    for (const QVariant &r : rows) {
        const QVariantList f = r.toList();
        Out(QByteArray::number(f.value(0).toInt()) + '\t' + f.value(2).toString().toUtf8() + '\n');
    }
    return kOk;
}

int Print(Session &s, const QStringList &args)
{
    const bool html = args.contains(QStringLiteral("--html"));
    QStringList rest = args;
    rest.removeAll(QStringLiteral("--html"));
    int index = 0;
    if (rest.size() != 1 || !ParseIndex(rest.first(), &index))
        return Usage(QStringLiteral("print: give one item number"));
    QVariantList rows;
    if (!s.list(index, 1, &rows))
        return s.exitCode();
    if (rows.isEmpty()) {
        Err(QStringLiteral("no item %1").arg(index));
        return kFailed;
    }
    const QString type = rows.first().toList().value(1).toString();
    QVariantList values;
    if (type == QLatin1String("image")) {
        if (::isatty(STDOUT_FILENO)) {
            Err(QStringLiteral("item %1 is a picture: send the output to a file or a program")
                    .arg(index));
            return kFailed;
        }
        if (!s.call(QStringLiteral("GetImage"), {index}, &values))
            return s.exitCode();
        Out(values.value(0).toByteArray());
        return kOk;
    }
    if (type == QLatin1String("urls") && !html) {
        if (!s.call(QStringLiteral("GetUrls"), {index}, &values))
            return s.exitCode();
        for (const QString &u : values.value(0).toStringList()) {
            const QUrl url(u);
            Out((url.isLocalFile() ? url.toLocalFile() : u).toUtf8() + '\n');
        }
        return kOk;
    }
    if (!s.call(html ? QStringLiteral("GetHtml") : QStringLiteral("GetText"), {index}, &values))
        return s.exitCode();
    const QByteArray text = values.value(0).toString().toUtf8();
    Out(text);
    // A terminal prompt would otherwise follow the text on its last line.
    if (::isatty(STDOUT_FILENO) && !text.endsWith('\n'))
        Out("\n");
    return kOk;
}

// "3<TAB>preview" as `list` wrote it. The number is checked against the preview, so that a
// history that changed in between does not give another item.
int CopyLine(Session &s)
{
    QByteArray raw;
    if (!ReadStdin(kMaxLineBytes, &raw)) {
        Err(QStringLiteral("copy --line: the line read is too long"));
        return kFailed;
    }
    QString line = QString::fromUtf8(raw);
    line = line.left(line.indexOf(QLatin1Char('\n')));
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    if (line.isEmpty()) {
        Err(QStringLiteral("copy --line: no line was chosen"));
        return kFailed;
    }
    const int tab = line.indexOf(QLatin1Char('\t'));
    int index = 0;
    if (!ParseIndex(tab < 0 ? line : line.left(tab), &index))
        return Usage(QStringLiteral("copy --line: not a line of 'tolvane list': %1").arg(line));
    if (tab >= 0) {
        const QString preview = line.mid(tab + 1);
        QVariantList rows;
        if (!s.list(0, INT_MAX, &rows))
            return s.exitCode();
        const auto matches = [&](int i) {
            return i < rows.size() && rows.at(i).toList().value(2).toString() == preview;
        };
        if (!matches(index)) {
            index = -1;
            for (int i = 0; i < rows.size() && index < 0; ++i) {
                if (matches(i))
                    index = i;
            }
        }
        if (index < 0) {
            Err(QStringLiteral("copy --line: that item is no longer in the history"));
            return kFailed;
        }
    }
    return s.call(QStringLiteral("Copy"), {index}) ? kOk : s.exitCode();
}

int Add(Session &s, const QStringList &args)
{
    QString text;
    if (!args.isEmpty()) {
        text = args.join(QLatin1Char(' '));
    } else {
        QByteArray raw;
        // UTF-8 takes at most four bytes a character.
        if (!ReadStdin(qint64(ItemLimits::kMaxTextLength) * 4, &raw)) {
            Err(QStringLiteral("add: the text is longer than %1 characters")
                    .arg(ItemLimits::kMaxTextLength));
            return kFailed;
        }
        text = QString::fromUtf8(raw);
    }
    if (text.size() > ItemLimits::kMaxTextLength) {
        Err(QStringLiteral("add: the text is longer than %1 characters")
                .arg(ItemLimits::kMaxTextLength));
        return kFailed;
    }
    return s.call(QStringLiteral("Add"), {text}) ? kOk : s.exitCode();
}

int Status(Session &s)
{
    QVariantList count;
    QVariantList paused;
    if (!s.call(QStringLiteral("Count"), {}, &count) ||
        !s.call(QStringLiteral("IsPaused"), {}, &paused))
        return s.exitCode();
    Out(QStringLiteral("running, %1 items, capture %2\n")
            .arg(count.value(0).toInt())
            .arg(paused.value(0).toBool() ? QStringLiteral("paused") : QStringLiteral("on"))
            .toUtf8());
    return kOk;
}

int Run(const QString &command, const QStringList &args)
{
    Session s;
    const auto simple = [&](const QString &method, const QVariantList &call_args = {}) {
        if (!args.isEmpty())
            return Usage(QStringLiteral("%1 takes no arguments").arg(command));
        return s.call(method, call_args) ? int(kOk) : s.exitCode();
    };
    const auto indexed = [&](const QString &method) {
        int index = 0;
        if (args.size() != 1 || !ParseIndex(args.first(), &index))
            return Usage(QStringLiteral("%1: give one item number (0 is the newest)").arg(command));
        return s.call(method, {index}) ? int(kOk) : s.exitCode();
    };
    if (command == QLatin1String("show"))
        return simple(QStringLiteral("ShowWindow"));
    if (command == QLatin1String("hide"))
        return simple(QStringLiteral("HideWindow"));
    if (command == QLatin1String("toggle"))
        return simple(QStringLiteral("ToggleWindow"));
    if (command == QLatin1String("quick-paste")) {
        if (args.size() > 1 || (args.size() == 1 && args.first() != QLatin1String("--pin")))
            return Usage(QStringLiteral("quick-paste takes only --pin"));
        return s.call(QStringLiteral("ShowQuickPaste"), {!args.isEmpty()}) ? kOk : s.exitCode();
    }
    if (command == QLatin1String("list"))
        return List(s, args);
    if (command == QLatin1String("print"))
        return Print(s, args);
    if (command == QLatin1String("copy")) {
        if (args == QStringList{QStringLiteral("--line")})
            return CopyLine(s);
        return indexed(QStringLiteral("Copy"));
    }
    if (command == QLatin1String("paste"))
        return indexed(QStringLiteral("Paste"));
    if (command == QLatin1String("add"))
        return Add(s, args);
    if (command == QLatin1String("delete"))
        return indexed(QStringLiteral("Delete"));
    if (command == QLatin1String("clear"))
        return simple(QStringLiteral("Clear"));
    if (command == QLatin1String("pause"))
        return simple(QStringLiteral("Pause"));
    if (command == QLatin1String("resume"))
        return simple(QStringLiteral("Resume"));
    if (command == QLatin1String("status")) {
        if (!args.isEmpty())
            return Usage(QStringLiteral("status takes no arguments"));
        return Status(s);
    }
    return Usage(QStringLiteral("unknown command: %1").arg(command));
}
} // namespace

bool IsCommandLine(int argc, char **argv)
{
    if (argc < 2)
        return false;
    const QByteArray first(argv[1]);
    return !first.startsWith('-') || first == "--help" || first == "-h" || first == "--version";
}

int RunCommandLine(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        Out(kUsageText);
        return kOk;
    }
    if (command == QLatin1String("--version")) {
        Out(QStringLiteral("tolvane %1\n").arg(AppIdentity::kVersion).toUtf8());
        return kOk;
    }
    if (!kCommands.contains(command))
        return Usage(QStringLiteral("unknown command: %1").arg(command));
    const int code = Run(command, args);
    std::fflush(stdout);
    return code;
}
