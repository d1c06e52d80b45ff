#pragma once

#include <QColor>
#include <QPair>
#include <QString>
#include <QVector>

// Where a search key matches a shown text, and that text with its matches marked. Only
// what a view shows is searched here (a row's line, a preview's head), never a whole item.
namespace MatchMarks {
// Every match of the key, in order and without overlap, as (start, length) pieces; at most
// max_matches matches.
QVector<QPair<int, int>> Spans(const QString &text, const QString &key, int max_matches);
// The text as styled text in which every character is escaped, so an item's text is never
// taken as markup, and the matches are bold in the given colour. When the first match
// starts later than `lead` characters (and lead is not negative), the text is cut to begin
// a few characters before it, after an ellipsis, so that a one-line view shows it.
QString Styled(const QString &text, const QString &key, const QColor &color, int lead);
} // namespace MatchMarks
