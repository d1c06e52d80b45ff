#pragma once

#include "os/bus_interface.h"

#include <QDBusContext>
#include <QObject>

// Puts a BusTarget on the user's session bus. The exported slots and signals are the
// interface (its description is packaging/<app id>.xml); a call with other argument types
// finds no method and the bus answers with an error, bad values get the target's errors.
class CBusService : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    // `target` must outlive the service.
    CBusService(BusTarget *target, QObject *parent = nullptr);
    ~CBusService() override;

    // Registers the object and takes the name. False (and logged) when there is no session
    // bus or another process holds the name.
    bool publish(const BusAddress &address);

    // The target tells of its changes through these.
    void notifyHistoryChanged(int count);
    void notifyPausedChanged(bool paused);

public slots:
    Q_SCRIPTABLE void ShowWindow();
    Q_SCRIPTABLE void HideWindow();
    Q_SCRIPTABLE void ToggleWindow();
    Q_SCRIPTABLE void ShowQuickPaste(bool pin);
    Q_SCRIPTABLE int Count();
    Q_SCRIPTABLE QList<BusItemRow> List(int first, int count);
    Q_SCRIPTABLE QString GetText(int index);
    Q_SCRIPTABLE QString GetHtml(int index);
    Q_SCRIPTABLE QStringList GetUrls(int index);
    Q_SCRIPTABLE QByteArray GetImage(int index);
    Q_SCRIPTABLE void Copy(int index);
    Q_SCRIPTABLE void Paste(int index);
    Q_SCRIPTABLE QString Add(const QString &text);
    Q_SCRIPTABLE void Delete(int index);
    Q_SCRIPTABLE void Clear();
    Q_SCRIPTABLE void Pause();
    Q_SCRIPTABLE void Resume();
    Q_SCRIPTABLE bool IsPaused();

    // Declared for the description the bus gives of the object; they go out through
    // sendSignal, since the toolkit would relay them under the class's name, not the
    // interface's.
signals:
    Q_SCRIPTABLE void HistoryChanged(int count);
    Q_SCRIPTABLE void PausedChanged(bool paused);

private:
    // False (with an error reply) when the caller is not this user.
    bool callerAllowed();
    // Sends the error, if there is one; true when there was none.
    bool reply(const BusError &error);
    // Runs a call of the target for an allowed caller and sends its error, if any.
    template <typename T, typename Call> T answer(Call call);
    template <typename Call> void perform(Call call);
    void sendSignal(const QString &name, const QVariant &value);

    BusTarget *m_target;
    BusAddress m_address;
};
