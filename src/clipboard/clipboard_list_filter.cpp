// Searching, visibility-aware navigation and paging of the list model.
#include "clipboard/clipboard_list_model.h"

namespace {
constexpr int kNumberedRows = 9; // rows 0-8 carry the digits 1-9 in the quick paste view
} // namespace

bool CCilpboardListModel::matchesFilter(int row) const
{
    return m_items.at(row).plain.visit([this](const auto &text) { return m_filter.matches(text); });
}

bool CCilpboardListModel::isRowVisible(int row, bool qp) const
{
    const CBData &d = m_items.at(row);
    return qp ? d.is_visible_qp : d.is_visible;
}

// Both filters set their flags on every row first and then tell the views once, over the
// rows that changed: a view told row by row lays itself out again for each of them.
void CCilpboardListModel::filterText(const QString &key)
{
    const bool all = key.isEmpty();
    if (!all)
        m_filter = WildcardMatcher(key);
    int first = -1, last = -1;
    for (int r = 0; r < m_items.size(); ++r) {
        const bool match = all || matchesFilter(r);
        if (match == m_items.at(r).is_visible)
            continue;
        m_items[r].is_visible = match;
        first = first < 0 ? r : first;
        last = r;
    }
    if (first >= 0)
        emit dataChanged(index(first), index(last), {IsVisibleRole});
    if (all)
        emit sigQPFilterNoItemVisible(false);
}

void CCilpboardListModel::filterTextQuickPaste(const QString &key)
{
    const bool all = key.isEmpty();
    if (!all)
        m_filter = WildcardMatcher(key);
    int k = 0, visible = 0, first = -1, last = -1;
    for (int r = 0; r < m_items.size(); ++r) {
        const CBData &d = m_items.at(r);
        const bool match = all || matchesFilter(r);
        // Rows past the digits are numbered in the order they show; a row filtered out
        // keeps its number, unseen.
        int number = d.filter_index;
        if (all)
            number = r < kNumberedRows ? -1 : k++;
        else if (match && r >= kNumberedRows)
            number = k++;
        visible += match ? 1 : 0;
        if (match == d.is_visible_qp && number == d.filter_index)
            continue;
        m_items[r].is_visible_qp = match;
        m_items[r].filter_index = number;
        first = first < 0 ? r : first;
        last = r;
    }
    if (first >= 0)
        emit dataChanged(index(first), index(last), {IsVisibleQpRole, FilterIndexRole});
    emit sigQPFilterNoItemVisible(!all && visible == 0);
}

int CCilpboardListModel::getNextVisibleRow(int i, bool is_quickpaste_view) const
{
    for (int r = qMax(i + 1, 0); r < m_items.size(); ++r) {
        if (isRowVisible(r, is_quickpaste_view))
            return r;
    }
    return -1;
}

int CCilpboardListModel::getPrevVisibleRow(int i, bool is_quickpaste_view) const
{
    for (int r = qMin(i - 1, m_items.size() - 1); r >= 0; --r) {
        if (isRowVisible(r, is_quickpaste_view))
            return r;
    }
    return -1;
}

int CCilpboardListModel::getVisibleStart(bool is_quickpaste_view) const
{
    return getNextVisibleRow(-1, is_quickpaste_view);
}

int CCilpboardListModel::getVisibleEnd(bool is_quickpaste_view) const
{
    return getPrevVisibleRow(m_items.size(), is_quickpaste_view);
}

int CCilpboardListModel::getNextPage(int item_cur, int item_t, bool is_quickpaste_view) const
{
    int count = 0;
    for (int r = qMax(item_cur, 0); r < m_items.size(); ++r) {
        if (!isRowVisible(r, is_quickpaste_view))
            continue;
        if (count == item_t)
            return r;
        ++count;
    }
    return getVisibleEnd(is_quickpaste_view);
}

int CCilpboardListModel::getPreviousPage(int item_cur, int item_t, bool is_quickpaste_view) const
{
    int count = 0;
    for (int r = qMin(item_cur, m_items.size() - 1); r >= 0; --r) {
        if (!isRowVisible(r, is_quickpaste_view))
            continue;
        if (count == item_t)
            return r;
        ++count;
    }
    return getVisibleStart(is_quickpaste_view);
}
