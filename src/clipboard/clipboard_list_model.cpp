#include "clipboard/clipboard_list_model.h"

#include "clipboard/write_back.h"
#include "item/clipboard_logging.h"

namespace {
// Roles of the fields a history file stores; visibility and filter numbers are view state.
const QVector<int> kStoredRoles = {
    CCilpboardListModel::PlainRole, CCilpboardListModel::ValRole,
    CCilpboardListModel::TypeRole,  CCilpboardListModel::SelectedRole,
    CCilpboardListModel::Md5Role,   CCilpboardListModel::FavNumRole,
};
} // namespace

CCilpboardListModel::CCilpboardListModel(QObject *parent) : QAbstractListModel(parent)
{
    m_delayTimer.setSingleShot(true);
    m_delayTimer.setInterval(0);
    connect(&m_delayTimer, &QTimer::timeout, this, &CCilpboardListModel::DelayedRowChanged);
    connect(this, &QAbstractItemModel::rowsInserted, this, &CCilpboardListModel::onRowsChanged);
    connect(this, &QAbstractItemModel::rowsRemoved, this, &CCilpboardListModel::onRowsChanged);
    connect(this, &QAbstractItemModel::rowsMoved, this, &CCilpboardListModel::onRowsChanged);
    connect(this, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &, const QModelIndex &, const QVector<int> &roles) {
                onDataChanged(roles);
            });
}

int CCilpboardListModel::rowCount(const QModelIndex &parent) const
{
    // A list has no children; answering rows under a row would make it an endless tree.
    return parent.isValid() ? 0 : m_items.size();
}

QVariant CCilpboardListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_items.size())
        return QVariant();
    const CBData &d = m_items.at(index.row());
    switch (role) {
    case PlainRole:
        return d.plain.toString();
    case ValRole:
        return ExpandedValue(d.val);
    case TypeRole:
        return d.type;
    case PinStatusRole:
        return d.pin_status;
    case IsVisibleRole:
        return d.is_visible;
    case IsVisibleQpRole:
        return d.is_visible_qp;
    case SelectedRole:
        return d.selected;
    case Md5Role:
        return d.md5;
    case FavNumRole:
        return d.fav_num;
    case FilterIndexRole:
        return d.filter_index;
    case PlainHeadRole:
        // A row never holds the whole of a long text (nor a copy of a compact one).
        return d.plain.left(kRowChars);
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> CCilpboardListModel::roleNames() const
{
    return {
        {PlainRole, "plain"},
        {ValRole, "val"},
        {TypeRole, "type"},
        {PinStatusRole, "pin_status"},
        {IsVisibleRole, "is_visible"},
        {IsVisibleQpRole, "is_visible_qp"},
        {SelectedRole, "selected"},
        {Md5Role, "md5"},
        {FavNumRole, "fav_num"},
        {FilterIndexRole, "filter_index"},
        {PlainHeadRole, "plain_head"},
    };
}

void CCilpboardListModel::setLastFavorNum(int n)
{
    if (n == m_lastFavorNum)
        return;
    m_lastFavorNum = n;
    emit last_favor_numChanged();
}

void CCilpboardListModel::onRowsChanged()
{
    emit sigRowChangedInstant();
    m_delayTimer.stop();
    m_delayTimer.start();
}

void CCilpboardListModel::onDataChanged(const QVector<int> &roles)
{
    // Not a change that counts towards the batches, but one a crash should not lose.
    const bool stored = roles.isEmpty() || std::any_of(roles.cbegin(), roles.cend(), [](int r) {
                            return kStoredRoles.contains(r);
                        });
    if (stored)
        emit sigStoredDataChanged();
}

void CCilpboardListModel::DelayedRowChanged()
{
    emit sigRowChanged();
}

void CCilpboardListModel::updateSelection(const QString &md5, const QString &selected)
{
    const int row = indexOfMD5(md5);
    if (row >= 0)
        setRowData(row, selected, SelectedRole);
}

void CCilpboardListModel::removeItem(int index)
{
    beginRemoveRows(QModelIndex(), index, index);
    m_items.remove(index);
    endRemoveRows();
}

// A QVector holds at most INT_MAX rows, so the counts below fit an int.
int CCilpboardListModel::getImgCount() const
{
    return static_cast<int>(std::count_if(m_items.cbegin(), m_items.cend(), [](const CBData &d) {
        return d.type == CQmlTypes::Image;
    }));
}

int CCilpboardListModel::getTextCount() const
{
    return static_cast<int>(std::count_if(m_items.cbegin(), m_items.cend(), [](const CBData &d) {
        return d.type == CQmlTypes::Text || d.type == CQmlTypes::Html;
    }));
}

int CCilpboardListModel::getOthersCount() const
{
    return m_items.size() - getImgCount() - getTextCount();
}

int CCilpboardListModel::indexOfMD5(const QString &md5) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).md5 == md5)
            return i;
    }
    return -1;
}

void CCilpboardListModel::prependItem(const CBData &item)
{
    beginInsertRows(QModelIndex(), 0, 0);
    m_items.prepend(item);
    endInsertRows();
    emit sigInsertionFinished();
}

bool CCilpboardListModel::moveRow(int from, int to)
{
    if (from == to)
        return false;
    // Qt counts the destination before the move when moving down.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_items.move(from, to);
    endMoveRows();
    return true;
}

bool CCilpboardListModel::setRowData(int row, const QVariant &value, int role)
{
    const QModelIndex idx = index(row);
    const QVariant before = data(idx, role);
    CBData &d = m_items[row];
    switch (role) {
    case PlainRole:
        d.plain = value.toString();
        break;
    case ValRole:
        d.val = value;
        break;
    case TypeRole:
        d.type = value.toInt();
        break;
    case PinStatusRole:
        d.pin_status = value.toBool();
        break;
    case IsVisibleRole:
        d.is_visible = value.toBool();
        break;
    case IsVisibleQpRole:
        d.is_visible_qp = value.toBool();
        break;
    case SelectedRole:
        d.selected = value.toString();
        break;
    case Md5Role:
        d.md5 = value.toString();
        break;
    case FavNumRole:
        d.fav_num = value.toInt();
        break;
    case FilterIndexRole:
        d.filter_index = value.toInt();
        break;
    default:
        break;
    }
    if (data(idx, role) != before)
        emit dataChanged(
            idx, idx, role == PlainRole ? QVector<int>{role, PlainHeadRole} : QVector<int>{role});
    return true;
}

void CCilpboardListModel::clearRows()
{
    if (m_items.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_items.size() - 1);
    m_items.clear();
    endRemoveRows();
}

QVariant CCilpboardListModel::getValPreview(int index) const
{
    const QVariant &val = m_items.at(index).val;
    if (val.userType() == qMetaTypeId<ItemText>())
        return val.value<ItemText>().left(kPreviewChars);
    if (val.userType() != QMetaType::QString)
        return val;
    const QString text = val.toString();
    return text.size() > kPreviewChars ? QVariant(text.left(kPreviewChars)) : val;
}

QVariant CCilpboardListModel::ExpandedValue(const QVariant &val)
{
    return val.userType() == qMetaTypeId<ItemText>() ? QVariant(val.toString()) : val;
}

void CCilpboardListModel::UpdateMaxItemCount(int sz)
{
    while (m_items.size() > qMax(0, sz))
        removeItem(qMax(0, sz));
}

void CCilpboardListModel::moveRow2Top(int index, bool go2top4main)
{
    if (index <= 0 || index >= m_items.size())
        return;
    WriteBack::Item(m_items.at(index), go2top4main);
    moveRow(index, 0);
}
