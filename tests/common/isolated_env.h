#pragma once

#include "os/process_services.h"

#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Gives a test process its own HOME, XDG folders and temporary folder, so that tests never
// touch the user's files and can run side by side, and an offscreen test the session's
// display for rendering (TOLVANE_RENDER_DISPLAY). Must exist before the application.
class IsolatedEnvironment
{
public:
    IsolatedEnvironment();
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Sets the identity the program uses, so settings and cache paths match the real ones.
void SetTestApplicationIdentity();

#define TOLVANE_TEST_MAIN(TestObject)                                                              \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        IsolatedEnvironment env;                                                                   \
        QApplication app(argc, argv);                                                              \
        ProcessServices::Scope services;                                                           \
        SetTestApplicationIdentity();                                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
