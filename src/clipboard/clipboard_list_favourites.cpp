// Favourite numbering of the Pin list.
#include "clipboard/clipboard_list_model.h"

#include <QMap>

void CCilpboardListModel::renumberFavourites()
{
    if (!m_isPin)
        return;
    // Number -> md5; with two rows of one number the lower row wins the entry.
    QMap<int, QString> favourites;
    for (int r = 0; r < m_items.size(); ++r) {
        const CBData &d = m_items.at(r);
        if (d.fav_num != -1)
            favourites.insert(d.fav_num, d.md5);
    }
    int count = 0;
    for (auto it = favourites.cbegin(); it != favourites.cend(); ++it) {
        ++count;
        if (count != it.key()) {
            const int row = indexOfMD5(it.value());
            if (row >= 0)
                setRowData(row, count, FavNumRole);
        }
    }
    for (auto it = favourites.cend(); it != favourites.cbegin();) {
        --it;
        const int row = indexOfMD5(it.value());
        if (row >= 0)
            moveRow(row, 0);
    }
    if (count != m_lastFavorNum)
        setLastFavorNum(count);
}
