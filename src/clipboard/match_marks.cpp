#include "clipboard/match_marks.h"

#include "clipboard/wildcard_matcher.h"

namespace {
constexpr int kContextChars = 12; // shown before a first match that lies far in
constexpr int kMaxMarked = 64;    // enough for what a row or a preview shows

QString Escaped(const QString &text)
{
    QString out = text.toHtmlEscaped();
    out.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return out;
}
} // namespace

namespace MatchMarks {

QVector<QPair<int, int>> Spans(const QString &text, const QString &key, int max_matches)
{
    QVector<QPair<int, int>> spans;
    const WildcardMatcher matcher(key);
    int from = 0;
    for (int n = 0; n < max_matches && from <= text.size(); ++n) {
        const QVector<QPair<int, int>> found = matcher.matchSpans(text, from);
        if (found.isEmpty())
            break;
        for (const auto &span : found) {
            if (span.second > 0)
                spans.append(span);
        }
        // A match of nothing but "?"-free empty pieces cannot happen; one of length 0
        // would loop, so the next search starts at least one character on.
        from = qMax(found.last().first + found.last().second, from + 1);
    }
    return spans;
}

QString Styled(const QString &text, const QString &key, const QColor &color, int lead)
{
    const QVector<QPair<int, int>> spans = Spans(text, key, kMaxMarked);
    int start = 0;
    QString out;
    if (lead >= 0 && !spans.isEmpty() && spans.first().first > lead) {
        start = spans.first().first - kContextChars;
        out = QStringLiteral("…");
    }
    const QString open = QStringLiteral("<b><font color=\"%1\">").arg(color.name());
    const QString close = QStringLiteral("</font></b>");
    int at = start;
    for (const auto &span : spans) {
        if (span.first < at)
            continue;
        out += Escaped(text.mid(at, span.first - at));
        out += open + Escaped(text.mid(span.first, span.second)) + close;
        at = span.first + span.second;
    }
    out += Escaped(text.mid(at));
    return out;
}

} // namespace MatchMarks
