#pragma once

#include <QObject>

class QQmlEngine;

// Gives each test engine the program's real services under their context names, the
// image provider, and `qml_warnings` (QtWarningLog): every warning Qt and QML printed
// during the run, so that a test that passes its checks while QML misbehaves still fails.
class QmlTestSetup : public QObject
{
    Q_OBJECT
public:
    QmlTestSetup();

public slots:
    void qmlEngineAvailable(QQmlEngine *engine);
};
