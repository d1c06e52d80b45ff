#pragma once

#include "isolated_env.h"

#include <QQuickStyle>
#include <QQuickWindow>

// The main of a test that drives the real windows: the application set up as the program
// sets itself up (high-DPI scaling, translucent windows, Material style, no quit when a
// window closes), in an isolated environment.
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
