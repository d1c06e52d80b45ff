#include "clipboard/wildcard_matcher.h"

WildcardMatcher::WildcardMatcher(const QString &key)
{
    Piece piece;
    for (int i = 0; i < key.size() && m_valid; ++i) {
        const QChar c = key.at(i);
        CharTest test;
        if (c == QLatin1Char('*')) {
            if (!piece.isEmpty())
                m_pieces.append(piece);
            piece.clear();
            continue;
        }
        if (c == QLatin1Char('?')) {
            test.kind = CharTest::Any;
        } else if (c == QLatin1Char('[')) {
            m_valid = parseSet(key, i);
            test.kind = CharTest::Set;
            test.set = m_sets.size() - 1;
        } else if (c == QLatin1Char(']')) {
            m_valid = false; // a set that was never opened
        } else {
            test.folded = c.toCaseFolded();
        }
        piece.append(test);
    }
    if (!piece.isEmpty())
        m_pieces.append(piece);
    if (!m_valid) {
        m_pieces.clear();
        m_sets.clear();
    }
}

// Reads the set that opens at key[i]; on success i is left on its closing bracket. A "^"
// right after the opening bracket negates the set, a "]" right after that is a member,
// and "a-z" is a range unless the dash comes first or last.
bool WildcardMatcher::parseSet(const QString &key, int &i)
{
    CharSet set;
    int j = i + 1;
    if (j < key.size() && key.at(j) == QLatin1Char('^')) {
        set.negated = true;
        ++j;
    }
    const int first = j;
    if (j < key.size() && key.at(j) == QLatin1Char(']'))
        ++j;
    while (j < key.size() && key.at(j) != QLatin1Char(']'))
        ++j;
    if (j >= key.size())
        return false;

    bool pending = false;
    bool range = false;
    ushort from = 0;
    for (int k = first; k < j; ++k) {
        const ushort c = key.at(k).unicode();
        if (c == '-' && pending && !range) {
            range = true;
            continue;
        }
        if (range) {
            set.ranges.append(qMakePair(qMin(from, c), qMax(from, c)));
            pending = range = false;
            continue;
        }
        if (pending)
            set.ranges.append(qMakePair(from, from));
        from = c;
        pending = true;
    }
    if (range)
        set.ranges.append(qMakePair(ushort('-'), ushort('-')));
    if (pending)
        set.ranges.append(qMakePair(from, from));
    m_sets.append(set);
    i = j;
    return true;
}

bool WildcardMatcher::CharSet::contains(ushort c) const
{
    for (const auto &r : ranges) {
        if (r.first <= c && c <= r.second)
            return true;
    }
    return false;
}

// Case-insensitive: a set takes a character by any of its case forms, and a negated set
// refuses it when any of them is listed.
bool WildcardMatcher::CharSet::matches(QChar c) const
{
    const bool listed = contains(c.toCaseFolded().unicode()) || contains(c.toLower().unicode()) ||
                        contains(c.toUpper().unicode());
    return negated != listed;
}

bool WildcardMatcher::testAt(const CharTest &test, QChar c) const
{
    switch (test.kind) {
    case CharTest::Any:
        return true;
    case CharTest::Set:
        return m_sets.at(test.set).matches(c);
    case CharTest::Literal:
        break;
    }
    return c.toCaseFolded() == test.folded;
}

// Earliest position at or after `from` where the piece matches, or -1.
template <typename Text>
int WildcardMatcher::find(const Piece &piece, const Text &text, int from) const
{
    const int last = text.size() - piece.size();
    for (int at = from; at <= last; ++at) {
        int k = 0;
        while (k < piece.size() && testAt(piece.at(k), text.at(at + k)))
            ++k;
        if (k == piece.size())
            return at;
    }
    return -1;
}

bool WildcardMatcher::matches(const QString &text) const
{
    return matchesText(text);
}

bool WildcardMatcher::matches(QLatin1String text) const
{
    return matchesText(text);
}

template <typename Text> bool WildcardMatcher::matchesText(const Text &text) const
{
    if (!m_valid)
        return false;
    // Taking each piece at its earliest place leaves the most room for the rest, so one
    // pass decides.
    int from = 0;
    for (const Piece &piece : m_pieces) {
        const int at = find(piece, text, from);
        if (at < 0)
            return false;
        from = at + piece.size();
    }
    return true;
}

QVector<QPair<int, int>> WildcardMatcher::matchSpans(const QString &text, int from) const
{
    QVector<QPair<int, int>> spans;
    if (!m_valid)
        return spans;
    for (const Piece &piece : m_pieces) {
        const int at = find(piece, text, from);
        if (at < 0)
            return {};
        spans.append(qMakePair(at, int(piece.size())));
        from = at + piece.size();
    }
    return spans;
}
