#include "os/bus_service.h"

#include "os/os_logging.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>

#include <unistd.h>

QDBusArgument &operator<<(QDBusArgument &arg, const BusItemRow &row)
{
    arg.beginStructure();
    arg << row.index << row.type << row.preview << row.md5;
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, BusItemRow &row)
{
    arg.beginStructure();
    arg >> row.index >> row.type >> row.preview >> row.md5;
    arg.endStructure();
    return arg;
}

BusAddress BusAddress::FromAppId(const QString &app_id)
{
    BusAddress a;
    a.service = app_id;
    a.interface = app_id;
    a.path = QLatin1Char('/') + QString(app_id).replace(QLatin1Char('.'), QLatin1Char('/'));
    return a;
}

CBusService::CBusService(BusTarget *target, QObject *parent) : QObject(parent), m_target(target)
{
    qDBusRegisterMetaType<BusItemRow>();
    qDBusRegisterMetaType<QList<BusItemRow>>();
}

CBusService::~CBusService()
{
    if (m_address.path.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_address.service);
    bus.unregisterObject(m_address.path);
}

bool CBusService::publish(const BusAddress &address)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__
                        << "no session bus:" << bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(address.path, address.interface, this,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportScriptableSignals)) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "cannot register" << address.path;
        return false;
    }
    if (!bus.registerService(address.service)) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "bus name" << address.service
                        << "is taken:" << bus.lastError().message();
        bus.unregisterObject(address.path);
        return false;
    }
    m_address = address;
    qCDebug(lcOs) << "bus interface" << address.service << address.path;
    return true;
}

void CBusService::notifyHistoryChanged(int count)
{
    sendSignal(QStringLiteral("HistoryChanged"), count);
}

void CBusService::notifyPausedChanged(bool paused)
{
    sendSignal(QStringLiteral("PausedChanged"), paused);
}

void CBusService::sendSignal(const QString &name, const QVariant &value)
{
    if (m_address.path.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(m_address.path, m_address.interface, name);
    signal << value;
    QDBusConnection::sessionBus().send(signal);
}

bool CBusService::callerAllowed()
{
    // A session bus normally admits only its user; a bus opened up to others must not
    // hand them the clipboard.
    const QDBusReply<uint> uid = connection().interface()->serviceUid(message().service());
    if (uid.isValid() && uid.value() == ::getuid())
        return true;
    sendErrorReply(QDBusError::AccessDenied, QStringLiteral("only the session's user may call"));
    return false;
}

bool CBusService::reply(const BusError &error)
{
    if (!error.failed())
        return true;
    sendErrorReply(m_address.interface + QStringLiteral(".Error.") + error.name, error.text);
    return false;
}

template <typename T, typename Call> T CBusService::answer(Call call)
{
    if (!callerAllowed())
        return T();
    BusError error;
    T value = call(&error);
    return reply(error) ? value : T();
}

template <typename Call> void CBusService::perform(Call call)
{
    if (!callerAllowed())
        return;
    BusError error;
    call(&error);
    reply(error);
}

void CBusService::ShowWindow()
{
    perform([this](BusError *) { m_target->setMainWindowVisibility(BusTarget::Visibility::Show); });
}

void CBusService::HideWindow()
{
    perform([this](BusError *) { m_target->setMainWindowVisibility(BusTarget::Visibility::Hide); });
}

void CBusService::ToggleWindow()
{
    perform(
        [this](BusError *) { m_target->setMainWindowVisibility(BusTarget::Visibility::Toggle); });
}

void CBusService::ShowQuickPaste(bool pin)
{
    perform([this, pin](BusError *) { m_target->showQuickPaste(pin); });
}

int CBusService::Count()
{
    return answer<int>([this](BusError *) { return m_target->itemCount(); });
}

QList<BusItemRow> CBusService::List(int first, int count)
{
    return answer<QList<BusItemRow>>(
        [&](BusError *e) { return m_target->listItems(first, count, e); });
}

QString CBusService::GetText(int index)
{
    return answer<QString>([&](BusError *e) { return m_target->itemText(index, e); });
}

QString CBusService::GetHtml(int index)
{
    return answer<QString>([&](BusError *e) { return m_target->itemHtml(index, e); });
}

QStringList CBusService::GetUrls(int index)
{
    return answer<QStringList>([&](BusError *e) { return m_target->itemUrls(index, e); });
}

QByteArray CBusService::GetImage(int index)
{
    return answer<QByteArray>([&](BusError *e) { return m_target->itemImage(index, e); });
}

void CBusService::Copy(int index)
{
    perform([&](BusError *e) { m_target->copyItem(index, e); });
}

void CBusService::Paste(int index)
{
    perform([&](BusError *e) { m_target->pasteItem(index, e); });
}

QString CBusService::Add(const QString &text)
{
    return answer<QString>([&](BusError *e) { return m_target->addText(text, e); });
}

void CBusService::Delete(int index)
{
    perform([&](BusError *e) { m_target->deleteItem(index, e); });
}

void CBusService::Clear()
{
    perform([this](BusError *e) { m_target->clearHistory(e); });
}

void CBusService::Pause()
{
    perform([this](BusError *) { m_target->setPaused(true); });
}

void CBusService::Resume()
{
    perform([this](BusError *) { m_target->setPaused(false); });
}

bool CBusService::IsPaused()
{
    return callerAllowed() && m_target->isPaused();
}
