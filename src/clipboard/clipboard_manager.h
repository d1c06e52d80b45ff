#pragma once

#include "clipboard/clipboard_list_model.h"

#include <QClipboard>
#include <QObject>

class QMimeData;

// Owns the Clipboard list and the Pin list, captures clipboard changes into them, saves
// and restores both histories, and carries the pin, favourite and write-back operations.
class CClipboardManager : public QObject
{
    Q_OBJECT
public:
    static CClipboardManager *instance();

    CCilpboardListModel *clipboardModel() { return &m_model; }
    CCilpboardListModel *pinModel() { return &m_modelPin; }

    Q_INVOKABLE void save2File();
    Q_INVOKABLE void restoreFromFile();

    Q_INVOKABLE void pinItem(int real_index);
    Q_INVOKABLE void pinRmItem(CCilpboardListModel *model, int real_index);
    Q_INVOKABLE void setIndexFavor(int pin_model_index);
    Q_INVOKABLE void copyPinItem2Main(int pin_index);
    Q_INVOKABLE void copyRemoteItem2Main(CCilpboardListModel *model, int index);
    Q_INVOKABLE void syncModel2Clipboard();

private slots:
    void onClipboardChanged(QClipboard::Mode mode);
    void onCBRowCountChanged();

private:
    CClipboardManager();
    void HandleRoll2TopFlag(QMimeData *mime);

    CCilpboardListModel m_model;
    CCilpboardListModel m_modelPin;
    // Saving before the histories were read would overwrite them with empty lists.
    bool m_restored = false;
};
