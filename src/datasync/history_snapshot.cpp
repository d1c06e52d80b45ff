#include "datasync/history_snapshot.h"

#include "clipboard/clipboard_list_model.h"
#include "datasync/datasync_logging.h"
#include "item/history_file.h"

#include <QPointer>

void CHistorySnapshot::refresh(const CCilpboardListModel *list, const QString &path)
{
    m_list = list;
    m_path = path;
    if (m_saving) {
        m_again = true;
        return;
    }
    save(list, path);
}

void CHistorySnapshot::save(const CCilpboardListModel *list, const QString &path)
{
    m_saving = true;
    m_again = false;
    // The rows are shared, not copied, until the list changes them.
    const QVector<CBData> rows = list->items();
    m_queue.run([path, rows] { return HistoryFile::Save(path, rows); },
                [this, path](const QString &error) {
                    m_saving = false;
                    if (!error.isEmpty())
                        qCWarning(lcDataSync)
                            << "history for linked hosts not saved:" << path << error;
                    m_saved = true;
                    if (m_again && m_list)
                        save(m_list, m_path);
                    emit sigSaved(path);
                });
}
