#pragma once

#include <QTcpServer>

// A TCP port that is free on this machine right now, for a program under test that must
// listen on a fixed port (its link server): other tests may run at the same time, so no
// test relies on the program's default port on the host.
inline quint16 FreeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}
