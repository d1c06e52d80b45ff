// Searching, visibility-aware navigation and paging of the list model.
#include "clipboard/clipboard_list_model.h"

namespace {
constexpr int kNumberedRows = 9; // rows 0-8 carry the digits 1-9 in the quick paste view
} // namespace

bool CCilpboardListModel::matchesFilter(int row) const
{
    return m_filter.matches(m_items.at(row).plain);
}

bool CCilpboardListModel::isRowVisible(int row, bool qp) const
{
    const CBData &d = m_items.at(row);
    return qp ? d.is_visible_qp : d.is_visible;
}

void CCilpboardListModel::filterText(const QString &key)
{
    if (key.isEmpty()) {
        for (int r = 0; r < m_items.size(); ++r)
            setRowData(r, true, IsVisibleRole);
        emit sigQPFilterNoItemVisible(false);
        return;
    }
    m_filter = WildcardMatcher(key);
    for (int r = 0; r < m_items.size(); ++r) {
        const bool match = matchesFilter(r);
        if (match != m_items.at(r).is_visible)
            setRowData(r, match, IsVisibleRole);
    }
}

void CCilpboardListModel::filterTextQuickPaste(const QString &key)
{
    int k = 0;
    if (key.isEmpty()) {
        for (int r = 0; r < m_items.size(); ++r)
            setRowData(r, r < kNumberedRows ? -1 : k++, FilterIndexRole);
        for (int r = 0; r < m_items.size(); ++r)
            setRowData(r, true, IsVisibleQpRole);
        emit sigQPFilterNoItemVisible(false);
        return;
    }
    m_filter = WildcardMatcher(key);
    int visible = 0;
    for (int r = 0; r < m_items.size(); ++r) {
        const bool match = matchesFilter(r);
        const bool old = m_items.at(r).is_visible_qp;
        if (match != old)
            setRowData(r, match, IsVisibleQpRole);
        if (!match)
            continue;
        if (r >= kNumberedRows)
            setRowData(r, k++, FilterIndexRole);
        ++visible;
    }
    emit sigQPFilterNoItemVisible(visible == 0);
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
