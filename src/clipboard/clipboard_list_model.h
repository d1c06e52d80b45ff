#pragma once

#include "clipboard/wildcard_matcher.h"
#include "item/cbdata.h"

#include <QAbstractListModel>
#include <QTimer>
#include <QVector>

#include <functional>

// The one list model of the program: the Clipboard list, the Pin list and the mirrors of
// linked hosts' histories. Rows are CBData records, row 0 on top.
class CCilpboardListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(
        int last_favor_num READ lastFavorNum WRITE setLastFavorNum NOTIFY last_favor_numChanged)
public:
    // A few hundred lines; laying out more made selecting a long text take a visible while.
    static constexpr int kPreviewChars = 16 * 1024;
    // What a row shows of a text: one line from its beginning.
    static constexpr int kRowChars = 1024;
    enum Roles
    {
        PlainRole = Qt::UserRole + 1, // 257
        ValRole,
        TypeRole,
        PinStatusRole,
        IsVisibleRole,
        IsVisibleQpRole,
        SelectedRole,
        Md5Role,
        FavNumRole,
        FilterIndexRole, // 266
        PlainHeadRole,   // the first kRowChars characters of plain
    };

    explicit CCilpboardListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE int rowCount() const { return m_items.size(); }
    Q_INVOKABLE void saveCurData();
    Q_INVOKABLE void filterText(const QString &key);
    Q_INVOKABLE void filterTextQuickPaste(const QString &key);
    Q_INVOKABLE void moveRow2Top(int index, bool go2top4main);
    Q_INVOKABLE void moveRow2Top(int index) { moveRow2Top(index, false); }
    Q_INVOKABLE void updateSelection(const QString &md5, const QString &selected);
    Q_INVOKABLE void removeItem(int index);
    Q_INVOKABLE void resetModelData();
    Q_INVOKABLE int getImgCount() const;
    Q_INVOKABLE int getTextCount() const;
    Q_INVOKABLE int getOthersCount() const;
    Q_INVOKABLE int getType(int index) const { return m_items.at(index).type; }
    Q_INVOKABLE QVariant getVal(int index) const { return ExpandedValue(m_items.at(index).val); }
    // What the interface shows of an item: a text cut to its first kPreviewChars, so that
    // no view lays out megabytes. Copies and pastes take getVal, the whole item.
    Q_INVOKABLE QVariant getValPreview(int index) const;
    Q_INVOKABLE QString getPlain(int index) const { return m_items.at(index).plain.toString(); }
    Q_INVOKABLE QString getSelection(int index) const { return m_items.at(index).selected; }
    Q_INVOKABLE QString getMd5(int index) const { return m_items.at(index).md5; }
    Q_INVOKABLE bool isVisible(int index) const { return m_items.at(index).is_visible; }
    Q_INVOKABLE bool isVisibleQp(int index) const { return m_items.at(index).is_visible_qp; }
    Q_INVOKABLE bool isPinned(int index) const { return m_items.at(index).pin_status; }
    Q_INVOKABLE int getFav(int index) const { return m_items.at(index).fav_num; }
    Q_INVOKABLE int indexOfMD5(const QString &md5) const;
    Q_INVOKABLE int getNextVisibleRow(int i, bool is_quickpaste_view) const;
    Q_INVOKABLE int getPrevVisibleRow(int i, bool is_quickpaste_view) const;
    Q_INVOKABLE int getVisibleStart(bool is_quickpaste_view) const;
    Q_INVOKABLE int getVisibleEnd(bool is_quickpaste_view) const;
    Q_INVOKABLE int getNextPage(int item_cur, int item_t, bool is_quickpaste_view) const;
    Q_INVOKABLE int getPreviousPage(int item_cur, int item_t, bool is_quickpaste_view) const;
    Q_INVOKABLE QString getIp() const { return m_ip; }
    Q_INVOKABLE void setIp(const QString &ip) { m_ip = ip; }
    Q_INVOKABLE bool isLocal() const { return m_isLocal; }
    Q_INVOKABLE void setLocal(bool is_local) { m_isLocal = is_local; }
    Q_INVOKABLE bool isPin() const { return m_isPin; }
    Q_INVOKABLE void setPin(bool is_pin) { m_isPin = is_pin; }
    Q_INVOKABLE bool isImgExists(const QString &md5) const;
    Q_INVOKABLE QUrl getImgUrl(const QString &md5) const;
    // The picture for the views, at the size they ask ("image://preview/...").
    Q_INVOKABLE QUrl getPreviewUrl(const QString &md5) const;

    int lastFavorNum() const { return m_lastFavorNum; }
    void setLastFavorNum(int n);

    // Used by the clipboard manager and the remote sharing, not by QML.
    const CBData &item(int row) const { return m_items.at(row); }
    const QVector<CBData> &items() const { return m_items; }
    void prependItem(const CBData &item);
    bool moveRow(int from, int to);
    bool setRowData(int row, const QVariant &value, int role);
    void clearRows();
    // False when the file could not be written; the old file is then left as it was.
    bool Save2FileHelper(const QString &path);
    bool RestoreFromFile(const QString &path) { return RestoreRows(path, 0).read; }
    struct RestoreOutcome
    {
        bool read = false;       // the file was opened and its head understood
        bool unreadable = false; // it exists, but this version cannot read it
        bool truncated = false;  // reading stopped at damaged or missing bytes
        int refused = 0;         // records read but not taken (a damaged kind or key)
    };
    // RestoreFromFile keeping only the newest max_rows records (all when 0).
    RestoreOutcome RestoreRows(const QString &path, int max_rows);
    // All rows replaced by rows read elsewhere (display order, newest first).
    void replaceRows(QVector<CBData> rows);
    // Where this list's own saves go; by default they are written at once on this thread.
    // A writer may write later, elsewhere, but in order; with `wait` it returns only once
    // the file is written (saveCurData and resetModelData, which callers expect done).
    using HistoryWriter =
        std::function<void(const QString &path, const QVector<CBData> &rows, bool wait)>;
    void setHistoryWriter(HistoryWriter writer) { m_historyWriter = std::move(writer); }
    // Writes this list's history file (nothing for a mirror list); `wait` as for the writer.
    void writeHistory(bool wait);
    void renumberFavourites();
    // This list's own history file, or empty for a mirror list (which never saves).
    QString historyFilePath() const;

signals:
    void last_favor_numChanged();
    void sigQPFilterNoItemVisible(bool all_hidden);
    void sigRowChanged();
    void sigRowChangedInstant();
    // Emitted once rowsInserted has reached every view, so that a handler may change the
    // rows again without a view hearing of the change before the insertion.
    void sigInsertionFinished();
    // A change of what the history file stores, other than rows coming and going.
    void sigStoredDataChanged();
    // The history file was written (or handed to the writer) with every change so far.
    void sigHistoryWritten();

public slots:
    void UpdateMaxItemCount(int sz);

private slots:
    void DelayedRowChanged();

private:
    void onRowsChanged();
    void onDataChanged(const QVector<int> &roles);
    bool isRowVisible(int row, bool qp) const;
    bool matchesFilter(int row) const;
    // A value as the views and scripts take it: a compact text as a QString.
    static QVariant ExpandedValue(const QVariant &val);

    int m_lastFavorNum = -1;
    WildcardMatcher m_filter;
    QVector<CBData> m_items;
    bool m_isLocal = true;
    QString m_ip;
    bool m_isPin = false;
    QTimer m_delayTimer;
    HistoryWriter m_historyWriter;
};
