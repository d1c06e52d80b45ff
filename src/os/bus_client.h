#pragma once

#include "os/bus_interface.h"

#include <QVariant>

// A call from the command line to the running program's interface.
struct BusReply
{
    enum Status
    {
        Ok,
        NoInstance, // nobody owns the name, or there is no session bus
        Error
    };
    Status status = Error;
    QString errorName; // the full D-Bus error name
    QString errorText;
    // The reply's values; structures and arrays become lists, byte arrays stay bytes.
    QVariantList values;
};

BusReply BusCall(const BusAddress &address, const QString &method,
                 const QVariantList &args = QVariantList());
