#include "os/bus_client.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace {
// A paste waits for the clipboard and the keystroke; everything else answers at once.
constexpr int kCallTimeoutMs = 30000;

// Structures and arrays arrive as QDBusArgument; the caller gets plain lists.
QVariant Plain(const QVariant &v)
{
    if (v.userType() != qMetaTypeId<QDBusArgument>())
        return v;
    const QDBusArgument arg = v.value<QDBusArgument>();
    QVariantList out;
    switch (arg.currentType()) {
    case QDBusArgument::StructureType:
        arg.beginStructure();
        while (!arg.atEnd())
            out << Plain(arg.asVariant());
        arg.endStructure();
        return out;
    case QDBusArgument::ArrayType:
        arg.beginArray();
        while (!arg.atEnd())
            out << Plain(arg.asVariant());
        arg.endArray();
        return out;
    default:
        return arg.asVariant();
    }
}
} // namespace

BusReply BusCall(const BusAddress &address, const QString &method, const QVariantList &args)
{
    BusReply r;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        r.status = BusReply::NoInstance;
        r.errorText = bus.lastError().message();
        return r;
    }
    // Asked first so that the call cannot start the program through bus activation.
    if (!bus.interface()->isServiceRegistered(address.service).value()) {
        r.status = BusReply::NoInstance;
        return r;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(address.service, address.path, address.interface, method);
    call.setArguments(args);
    const QDBusMessage answer = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        r.status = answer.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
                       ? BusReply::NoInstance
                       : BusReply::Error;
        r.errorName = answer.errorName();
        r.errorText = answer.errorMessage();
        return r;
    }
    r.status = BusReply::Ok;
    for (const QVariant &v : answer.arguments())
        r.values << Plain(v);
    return r;
}
