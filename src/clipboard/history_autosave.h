#pragma once

#include <QObject>
#include <QTimer>

class CCilpboardListModel;

// When a local list writes its history file without being asked: after every 15th burst of
// row changes (Pin list: every 2nd), and at most a few seconds after its first unsaved
// change, however many follow, so that a crash loses little even while copies keep coming.
class CHistoryAutosave : public QObject
{
    Q_OBJECT
public:
    explicit CHistoryAutosave(CCilpboardListModel &model, QObject *parent = nullptr);
    void setIdleSaveDelay(int ms) { m_idleSaveTimer.setInterval(ms); }
    int idleSaveDelay() const { return m_idleSaveTimer.interval(); }

private:
    void scheduleSave();
    void onRowBurst();

    CCilpboardListModel &m_model;
    quint8 m_changeCounter = 0;
    QTimer m_idleSaveTimer;
};
