#pragma once

#include "isolated_env.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A dbus-daemon of the test's own that becomes the process's session bus: no other test
// or program can answer on it, and nothing on it is activatable. Must be created before
// anything in the process connects to the session bus.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();

    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// TOLVANE_TEST_MAIN with a private session bus.
#define TOLVANE_TEST_MAIN_PRIVATE_BUS(TestObject)                                                  \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        IsolatedEnvironment env;                                                                   \
        QApplication app(argc, argv);                                                              \
        SetTestApplicationIdentity();                                                              \
        PrivateSessionBus bus;                                                                     \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
