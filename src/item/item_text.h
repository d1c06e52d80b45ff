#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QMetaType>
#include <QString>

// An item's text. A long text whose characters all lie in Latin-1 (most long texts people
// copy are logs, code or data in ASCII) is held at one byte per character instead of a
// QString's two: a history keeps its texts for months. Other texts stay a QString.
//
// Which form a text takes depends on its characters alone, so equal texts are held alike.
class ItemText
{
public:
    // Below this the saving is small, and every reader of the whole text would pay a copy.
    static constexpr int kCompactFromChars = 1024;

    ItemText() = default;
    // Implicit: an item's text arrives as a QString everywhere.
    ItemText(const QString &text); // NOLINT(google-explicit-constructor)

    QString toString() const;
    // The first `n` characters, without expanding the rest.
    QString left(int n) const;
    int size() const { return isCompact() ? m_latin1.size() : m_wide.size(); }
    bool isEmpty() const { return size() == 0; }
    bool isCompact() const { return !m_latin1.isNull(); }

    // Calls `f` with the text as it is held: a QLatin1String or a const QString&.
    template <typename F> auto visit(F &&f) const
    {
        return isCompact() ? f(QLatin1String(m_latin1.constData(), m_latin1.size())) : f(m_wide);
    }

    bool operator==(const ItemText &other) const;
    bool operator!=(const ItemText &other) const { return !(*this == other); }
    bool operator==(const QString &other) const;
    bool operator!=(const QString &other) const { return !(*this == other); }

private:
    QString m_wide;
    QByteArray m_latin1;
};

Q_DECLARE_METATYPE(ItemText)
