#include "clipboard/history_autosave.h"

#include "clipboard/clipboard_list_model.h"

namespace {
constexpr int kPinSaveEvery = 2;
constexpr int kListSaveEvery = 15;
constexpr int kIdleSaveMs = 3000;
} // namespace

CHistoryAutosave::CHistoryAutosave(CCilpboardListModel &model, QObject *parent)
    : QObject(parent), m_model(model)
{
    m_idleSaveTimer.setSingleShot(true);
    m_idleSaveTimer.setInterval(kIdleSaveMs);
    connect(&m_idleSaveTimer, &QTimer::timeout, this, [this] { m_model.writeHistory(false); });
    connect(&m_model, &CCilpboardListModel::sigStoredDataChanged, this,
            &CHistoryAutosave::scheduleSave);
    connect(&m_model, &CCilpboardListModel::sigRowChanged, this, &CHistoryAutosave::onRowBurst);
    // Any save covers every change so far.
    connect(&m_model, &CCilpboardListModel::sigHistoryWritten, &m_idleSaveTimer, &QTimer::stop);
}

// Counted from the first unsaved change: restarted by every change, the timer would never
// run out while copies keep coming a second or two apart.
void CHistoryAutosave::scheduleSave()
{
    if (!m_model.historyFilePath().isEmpty() && !m_idleSaveTimer.isActive())
        m_idleSaveTimer.start();
}

void CHistoryAutosave::onRowBurst()
{
    scheduleSave();
    ++m_changeCounter;
    if (m_changeCounter == (m_model.isPin() ? kPinSaveEvery : kListSaveEvery)) {
        m_changeCounter = 0;
        QTimer::singleShot(0, this, [this] { m_model.writeHistory(false); });
    }
}
