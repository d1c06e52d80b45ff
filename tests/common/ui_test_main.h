#pragma once

#include "isolated_env.h"

#include <QQuickStyle>
#include <QQuickWindow>

// main() of a test that shows the real interface: set up as the program's entry does it
// (high-density scaling, translucent windows, the Material style, windows that hide
// rather than quit), in an isolated environment.
#define TOLVANE_UI_TEST_MAIN(TestObject)                                                           \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        IsolatedEnvironment env;                                                                   \
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);                               \
        QQuickWindow::setDefaultAlphaBuffer(true);                                                 \
        QQuickStyle::setStyle(QStringLiteral("Material"));                                         \
        QApplication app(argc, argv);                                                              \
        QGuiApplication::setQuitOnLastWindowClosed(false);                                         \
        SetTestApplicationIdentity();                                                              \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
