#include "item/item_text.h"

#include <algorithm>

namespace {
bool FitsLatin1(const QString &text)
{
    const ushort *begin = text.utf16();
    return std::all_of(begin, begin + text.size(), [](ushort c) { return c <= 0xff; });
}
} // namespace

ItemText::ItemText(const QString &text)
{
    if (text.size() >= kCompactFromChars && FitsLatin1(text))
        m_latin1 = text.toLatin1();
    else
        m_wide = text;
}

QString ItemText::toString() const
{
    // The byte array's own overload would stop at the first NUL.
    return isCompact() ? QString::fromLatin1(m_latin1.constData(), m_latin1.size()) : m_wide;
}

QString ItemText::left(int n) const
{
    if (!isCompact())
        return m_wide.left(n);
    return QString::fromLatin1(m_latin1.constData(), qBound(0, n, m_latin1.size()));
}

bool ItemText::operator==(const ItemText &other) const
{
    if (isCompact() != other.isCompact())
        return false;
    return isCompact() ? m_latin1 == other.m_latin1 : m_wide == other.m_wide;
}

bool ItemText::operator==(const QString &other) const
{
    return visit([&other](const auto &text) { return other == text; });
}
