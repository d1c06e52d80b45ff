#pragma once

#include "clipboard/background_queue.h"

#include <QObject>
#include <QString>

class CCilpboardListModel;

// The copy of this host's history that linked hosts are sent: saved on a worker thread, so
// that neither a change of the list nor a request of a host ever writes a file on the
// interface's thread. Saves do not pile up: a refresh during a save makes one more save
// after it, of the rows as they are then.
class CHistorySnapshot : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void refresh(const CCilpboardListModel *list, const QString &path);
    // A save of this run has finished: the file is this run's, not an earlier one's.
    bool isSaved() const { return m_saved; }
    bool isSaving() const { return m_saving; }

signals:
    void sigSaved(QString path);

private:
    void save(const CCilpboardListModel *list, const QString &path);

    CBackgroundQueue m_queue;
    bool m_saving = false;
    bool m_again = false;
    bool m_saved = false;
    const CCilpboardListModel *m_list = nullptr;
    QString m_path;
};
