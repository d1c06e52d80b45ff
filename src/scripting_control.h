#pragma once

#include "os/bus_interface.h"

#include <QObject>
#include <QTimer>

#include <functional>

class CBusService;
class CCilpboardListModel;
class QQuickWindow;

// What scripts and the command line reach over the session bus: the main and quick paste
// windows, the Clipboard list and the pause of capture. Announces changes of the history
// (at most once per turn of the event loop) and of the pause.
class CScriptingControl : public QObject, public BusTarget
{
    Q_OBJECT
public:
    struct Windows
    {
        std::function<QQuickWindow *()> main;
        std::function<void(bool pin)> quickPaste;
    };
    CScriptingControl(Windows windows, QObject *parent = nullptr);
    ~CScriptingControl() override;

    // Takes the bus name derived from the application id; false when that fails (the
    // program runs on without the interface).
    bool publish(const QString &app_id);

    void setMainWindowVisibility(Visibility v) override;
    void showQuickPaste(bool pin) override;
    int itemCount() const override;
    QList<BusItemRow> listItems(int first, int count, BusError *error) override;
    QString itemText(int index, BusError *error) override;
    QString itemHtml(int index, BusError *error) override;
    QStringList itemUrls(int index, BusError *error) override;
    QByteArray itemImage(int index, BusError *error) override;
    void copyItem(int index, BusError *error) override;
    void pasteItem(int index, BusError *error) override;
    QString addText(const QString &text, BusError *error) override;
    void deleteItem(int index, BusError *error) override;
    void clearHistory(BusError *error) override;
    void setPaused(bool paused) override;
    bool isPaused() const override;

private:
    // False (with the error set) when there is no such row.
    bool checkIndex(int index, BusError *error) const;
    // The same, and false when the item is of another type.
    bool checkType(int index, int type, BusError *error) const;
    CCilpboardListModel *model() const;

    Windows m_windows;
    CBusService *m_service;
    QTimer m_historyNotice;
};
