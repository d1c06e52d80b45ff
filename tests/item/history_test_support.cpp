#include "history_test_support.h"

#include "clipboard/clipboard_list_model.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QFile>
#include <QLoggingCategory>

#include <csignal>
#include <new>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QString DescribeVal(const QVariant &v)
{
    if (!v.isValid())
        return "invalid";
    // A long text's value may be held compact; it is the same text.
    if (v.userType() == QMetaType::QString || v.userType() == qMetaTypeId<ItemText>())
        return v.toString().isNull() ? "string:null" : "string:'" + v.toString() + "'";
    if (v.userType() == QMetaType::QColor) {
        const QColor c = v.value<QColor>();
        const QRgba64 x = c.rgba64();
        return QString("color:%1/%2/%3/%4/%5")
            .arg(c.spec())
            .arg(x.alpha())
            .arg(x.red())
            .arg(x.green())
            .arg(x.blue());
    }
    if (v.userType() == qMetaTypeId<QList<QUrl>>()) {
        QStringList urls;
        for (const QUrl &u : v.value<QList<QUrl>>())
            urls << QString::fromLatin1(u.toEncoded());
        return "urls:" + urls.join(' ');
    }
    return QString("other:") + QString::fromLatin1(v.typeName());
}

QLoggingCategory::CategoryFilter g_defaultFilter = nullptr;
bool g_clipboardDebug = false;

// By name: the filter also runs while the category itself is being constructed.
void ClipboardDebugFilter(QLoggingCategory *category)
{
    if (g_defaultFilter) // null only while this filter is being installed
        g_defaultFilter(category);
    if (g_clipboardDebug && qstrcmp(category->categoryName(), "tolvane.clipboard") == 0)
        category->setEnabled(QtDebugMsg, true);
}
} // namespace

QString Key(const char *seed)
{
    return QString::fromLatin1(QCryptographicHash::hash(seed, QCryptographicHash::Md5).toHex());
}

Sample Make(int type, const QString &plain, const QString &md5, const QVariant &val,
            const QByteArray &val_bytes, const QString &selected, int fav)
{
    Sample s;
    s.item.type = type;
    s.item.plain = plain;
    s.item.md5 = md5;
    s.item.val = val;
    s.item.selected = selected;
    s.item.fav_num = fav;
    s.val = val_bytes;
    return s;
}

Sample TextSample(const QString &text, const char *seed)
{
    return Make(CQmlTypes::Text, text, Key(seed), text, Bytes().stringVal(text).data(), "0_1_1");
}

QVector<Sample> Samples(bool all)
{
    RegisterItemMetaTypes();
    const QList<QUrl> urls{QUrl::fromLocalFile("/tmp/a b.txt"),
                           QUrl::fromLocalFile(QString::fromUtf8("/tmp/\xc3\xbc"))};
    QVector<Sample> out{
        TextSample(QString::fromUtf8("alpha \xe2\x98\xba"), "a"),
        Make(CQmlTypes::Color, "#123456", Key("b"), QColor(0x12, 0x34, 0x56),
             Bytes().colorVal(1, 0xFFFF, 0x1212, 0x3434, 0x5656).data(), QString(), 2),
        Make(CQmlTypes::Urls, QString::fromUtf8("/tmp/a b.txt, /tmp/\xc3\xbc"), Key("c"),
             QVariant::fromValue(urls),
             Bytes().urlsVal({"file:///tmp/a%20b.txt", "file:///tmp/%C3%BC"}).data(), "1_0_4"),
    };
    if (all) {
        out << Make(CQmlTypes::Image, "Image", Key("d"), Key("d"),
                    Bytes().stringVal(Key("d")).data(), "90", 1)
            << Make(CQmlTypes::Html, "bold", Key("e"), "<b>bold</b>",
                    Bytes().stringVal("<b>bold</b>").data(), "")
            << Make(CQmlTypes::Unknown, "raw", Key("f"), QVariant(), Bytes().invalidVal().data());
    }
    return out;
}

Bytes &Record(Bytes &b, const Sample &s, int version)
{
    b.u32(quint32(s.item.type))
        .str(s.item.plain.toString())
        .str(s.item.md5)
        .raw(s.val)
        .str(s.item.selected);
    return version == 1 ? b.u32(quint32(s.item.fav_num)) : b;
}

QByteArray FileOf(const QVector<Sample> &rows, int version, QVector<int> *ends)
{
    Bytes b;
    b.header(version, quint32(rows.size()));
    if (ends)
        *ends << b.size();
    for (int i = rows.size() - 1; i >= 0; --i) {
        Record(b, rows.at(i), version);
        if (ends)
            *ends << b.size();
    }
    return b.data();
}

QString Describe(const CBData &d)
{
    const auto q = [](const QString &s) {
        return s.isNull() ? QString("null") : "'" + s + "'";
    };
    return QString("type %1 plain %2 md5 %3 val %4 sel %5 fav %6 filter %7 pin %8 vis %9 qp %10")
        .arg(d.type)
        .arg(q(d.plain.toString()), q(d.md5), DescribeVal(d.val), q(d.selected))
        .arg(d.fav_num)
        .arg(d.filter_index)
        .arg(d.pin_status)
        .arg(d.is_visible)
        .arg(d.is_visible_qp);
}

QStringList Describe(const QVector<CBData> &rows)
{
    QStringList out;
    for (const CBData &d : rows)
        out << Describe(d);
    return out;
}

QStringList Expected(const QVector<Sample> &samples, int version)
{
    QVector<CBData> rows;
    for (const Sample &s : samples) {
        CBData d;
        d.type = s.item.type;
        d.plain = s.item.plain;
        d.md5 = s.item.md5;
        d.val = s.item.val;
        d.selected = s.item.selected;
        d.fav_num = version == 1 ? s.item.fav_num : -1;
        rows << d;
    }
    return Describe(rows);
}

void Fill(CCilpboardListModel &m, const QVector<Sample> &rows)
{
    m.setLocal(false);
    for (int i = rows.size() - 1; i >= 0; --i)
        m.prependItem(rows.at(i).item);
}

HistoryFile::ReadResult ReadBytes(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return HistoryFile::Read(buf);
}

QList<int> ReadWithinBudget(const QByteArray &bytes, int budget_mb)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        // A crash here is reported by the parent, not by the test framework's handlers.
        for (int sig : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            signal(sig, SIG_DFL);
        close(fds[0]);
        QFile statm("/proc/self/statm");
        statm.open(QIODevice::ReadOnly);
        const rlim_t vsz = statm.readAll().split(' ').value(0).toULongLong() * getpagesize();
        const rlimit lim{vsz + rlim_t(budget_mb) * 1024 * 1024, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &lim);
        try {
            const HistoryFile::ReadResult res = ReadBytes(bytes);
            const int out[3] = {res.rows.size(), res.dropped, res.truncated ? 1 : 0};
            _exit(write(fds[1], out, sizeof out) == ssize_t(sizeof out) ? 0 : 1);
        } catch (const std::bad_alloc &) {
            _exit(2);
        }
    }
    close(fds[1]);
    int got[3] = {-1, -1, -1};
    const bool read_all = read(fds[0], got, sizeof got) == ssize_t(sizeof got);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!read_all || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return {got[0], got[1], got[2]};
}

QRegularExpression Exactly(const QString &text)
{
    return QRegularExpression("^" + QRegularExpression::escape(text) + "$");
}

void ClipboardDebugLines::Set(bool on)
{
    g_clipboardDebug = on;
    // Installing applies the filter to every category again.
    const QLoggingCategory::CategoryFilter previous =
        QLoggingCategory::installFilter(ClipboardDebugFilter);
    if (previous != ClipboardDebugFilter)
        g_defaultFilter = previous;
}
