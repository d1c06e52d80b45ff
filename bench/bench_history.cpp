// Saving and restoring a 300-item history, and searching it from the main window.
#include "bench_table.h"
#include "benches.h"
#include "clipboard/clipboard_list_model.h"
#include "item/mime_convert.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>

namespace {
constexpr int kItems = 300;
constexpr int kRuns = 50;
constexpr int kLongRuns = 3;
constexpr int kLongText = 20000;
constexpr int kProseItems = 50;
constexpr int kProseBytes = 50 * 1024;

// Deterministic English-like text of about `size` characters, with no "zebra" in it.
QString Prose(int seed, int size)
{
    static const QStringList words = {
        QStringLiteral("the"),     QStringLiteral("quick"),   QStringLiteral("brown"),
        QStringLiteral("fox"),     QStringLiteral("jumps"),   QStringLiteral("over"),
        QStringLiteral("a"),       QStringLiteral("lazy"),    QStringLiteral("dog"),
        QStringLiteral("and"),     QStringLiteral("then"),    QStringLiteral("writes"),
        QStringLiteral("letters"), QStringLiteral("about"),   QStringLiteral("tables"),
        QStringLiteral("2024"),    QStringLiteral("chapter"), QStringLiteral("notes.")};
    QString text;
    text.reserve(size + 16);
    quint32 state = quint32(seed) * 2654435761u + 1;
    while (text.size() < size) {
        state = state * 1664525u + 1013904223u;
        text += words.at(int((state >> 16) % quint32(words.size())));
        text += (state & 0xf) == 0 ? QStringLiteral("\n") : QStringLiteral(" ");
    }
    return text;
}

// Timings of filterText(key), each started from an unfiltered list.
QVector<double> TimeFilter(CCilpboardListModel &model, const QString &key, int runs)
{
    QVector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < runs; ++i) {
        model.filterText(QString());
        t.start();
        model.filterText(key);
        ms.append(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

int VisibleRows(const CCilpboardListModel &model)
{
    int visible = 0;
    for (int r = 0; r < model.rowCount(); ++r)
        visible += model.isVisible(r) ? 1 : 0;
    return visible;
}
} // namespace

CBData MakeBenchItem(int i)
{
    CBData d;
    switch (i % 5) {
    case 0:
        d.type = CQmlTypes::Text;
        d.plain = QStringLiteral("note %1: ").arg(i) + QString(40 + i % 400, QLatin1Char('x'));
        d.val = d.plain.toString();
        break;
    case 1:
        d.type = CQmlTypes::Html;
        d.plain = QStringLiteral("Heading %1 and a paragraph of text").arg(i);
        d.val = QStringLiteral("<h1>Heading %1</h1><p>and a <b>paragraph</b> of text</p>").arg(i);
        break;
    case 2:
        d.type = CQmlTypes::Urls;
        d.val = QVariant::fromValue(QList<QUrl>{
            QUrl::fromLocalFile(QStringLiteral("/home/user/Documents/file%1.odt").arg(i)),
            QUrl::fromLocalFile(QStringLiteral("/home/user/Pictures/p%1.png").arg(i))});
        d.plain =
            QStringLiteral("/home/user/Documents/file%1.odt, /home/user/Pictures/p%1.png").arg(i);
        break;
    case 3:
        d.type = CQmlTypes::Color;
        d.val = QColor::fromRgb(QRgb(0x10203 * i));
        d.plain = d.val.value<QColor>().name();
        break;
    default:
        d.type = CQmlTypes::Image;
        d.plain = QStringLiteral("Image");
        d.val = GetVariantMd5(QVariant(i));
        d.md5 = d.val.toString();
        break;
    }
    if (d.md5.isEmpty())
        d.md5 = GetVariantMd5(d.val);
    return d;
}

bool RunHistoryAndFilter(BenchTable &table)
{
    RegisterItemMetaTypes();
    CCilpboardListModel model;
    for (int i = 0; i < kItems; ++i)
        model.prependItem(MakeBenchItem(i));
    const QString path = QDir::tempPath() + "/bench-history";

    QVector<double> save_ms, restore_ms;
    QElapsedTimer t;
    CCilpboardListModel restored;
    bool ok = true;
    for (int i = 0; i < kRuns; ++i) {
        t.start();
        model.Save2FileHelper(path);
        save_ms.append(t.nsecsElapsed() / 1e6);
        t.start();
        ok = restored.RestoreFromFile(path) && ok;
        restore_ms.append(t.nsecsElapsed() / 1e6);
    }
    ok = ok && restored.rowCount() == kItems;
    const QString items =
        QStringLiteral("%1 mixed items, %2 KB").arg(kItems).arg(QFileInfo(path).size() / 1024);
    table.addSamples(QStringLiteral("history save (Save2FileHelper)"), save_ms, items);
    table.addSamples(QStringLiteral("history restore (RestoreFromFile)"), restore_ms,
                     ok ? items : QStringLiteral("FAILED: rows lost"));

    // Keys cycle so that every call changes the visibility of some rows.
    const QStringList keys = {QStringLiteral("note"), QStringLiteral("*png"),
                              QStringLiteral("heading 1?"), QStringLiteral("no such text"),
                              QString()};
    QVector<QVector<double>> per_key(keys.size());
    for (int i = 0; i < kRuns; ++i) {
        for (int k = 0; k < keys.size(); ++k) {
            t.start();
            model.filterText(keys.at(k));
            per_key[k].append(t.nsecsElapsed() / 1e6);
        }
    }
    for (int k = 0; k < keys.size(); ++k) {
        model.filterText(keys.at(k));
        table.addSamples(QStringLiteral("filterText \"%1\", %2 rows").arg(keys.at(k)).arg(kItems),
                         per_key.at(k), QStringLiteral("%1 rows match").arg(VisibleRows(model)));
    }

    // A leading asterisk means the same as none in a search that may match anywhere, but
    // it makes the wildcard engine retry the rest at every position of every text.
    CCilpboardListModel with_long;
    for (int i = 0; i < kItems - 1; ++i)
        with_long.prependItem(MakeBenchItem(i));
    CBData long_text;
    long_text.type = CQmlTypes::Text;
    long_text.plain = QString(kLongText, QLatin1Char('y'));
    long_text.val = long_text.plain.toString();
    long_text.md5 = GetVariantMd5(long_text.val);
    ShareTextValue(long_text);
    with_long.prependItem(long_text);
    for (const QString &key : {QStringLiteral("*png"), QStringLiteral("png")}) {
        table.addSamples(
            QStringLiteral("filterText \"%1\", %2 rows, one 20 KB text").arg(key).arg(kItems),
            TimeFilter(with_long, key, kLongRuns));
    }

    // Long items under keys with asterisks inside: each piece is scanned for once per item.
    CCilpboardListModel prose;
    for (int i = 0; i < kProseItems; ++i) {
        CBData d;
        d.type = CQmlTypes::Text;
        d.plain = Prose(i, kProseBytes);
        d.val = d.plain.toString();
        d.md5 = GetVariantMd5(d.val);
        ShareTextValue(d);
        prose.prependItem(d);
    }
    for (const QString &key : {QStringLiteral("the*zebra"), QStringLiteral("a*b"),
                               QStringLiteral("q?i*[0-9]*notes"), QStringLiteral("t*h*e*z")}) {
        const QVector<double> ms = TimeFilter(prose, key, kLongRuns);
        table.addSamples(
            QStringLiteral("filterText \"%1\", %2 items of 50 KB").arg(key).arg(kProseItems), ms,
            QStringLiteral("%1 rows match").arg(VisibleRows(prose)));
    }
    QFile::remove(path);
    return ok;
}
