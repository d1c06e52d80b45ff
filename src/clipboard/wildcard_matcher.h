#pragma once

#include <QLatin1String>
#include <QString>
#include <QVector>

// The search rule of the lists: a case-insensitive wildcard key found anywhere in a text;
// characters are compared by their Unicode case folding, as QString compares them.
// An asterisk stands for any run of characters, a question mark for one character, and
// brackets for a set ("[abc]", ranges "[a-z]", negated "[^0-9]"); every other character
// stands for itself. A key with an unclosed set or a stray "]" is no valid pattern and
// matches nothing.
//
// The pieces between asterisks are searched in order, each at its earliest place after
// the one before, so a text is scanned once per piece: no backtracking, whatever the key.
class WildcardMatcher
{
public:
    WildcardMatcher() = default;
    explicit WildcardMatcher(const QString &key);

    bool isValid() const { return m_valid; }
    bool matches(const QString &text) const;
    bool matches(QLatin1String text) const;
    // Where the key matches at or after `from`: one (start, length) per piece between
    // asterisks, in order; empty when it does not match there or the key is only
    // asterisks.
    QVector<QPair<int, int>> matchSpans(const QString &text, int from = 0) const;

private:
    struct CharSet
    {
        bool negated = false;
        QVector<QPair<ushort, ushort>> ranges; // inclusive bounds

        bool contains(ushort c) const;
        bool matches(QChar c) const;
    };
    // One character of a piece: a literal (stored case-folded), any character, or a set.
    struct CharTest
    {
        enum Kind
        {
            Literal,
            Any,
            Set
        };
        Kind kind = Literal;
        QChar folded;
        int set = -1;
    };
    using Piece = QVector<CharTest>;

    bool parseSet(const QString &key, int &i);
    bool testAt(const CharTest &test, QChar c) const;
    template <typename Text> int find(const Piece &piece, const Text &text, int from) const;
    template <typename Text> bool matchesText(const Text &text) const;

    bool m_valid = true;
    QVector<Piece> m_pieces;
    QVector<CharSet> m_sets;
};
