#pragma once

#include <QObject>

class QQmlEngine;

// Gives each test engine the program's real services under their context names, the
// image provider, and `qml_warnings` (QtWarningLog): every warning Qt and QML printed
// during the run, so that a test that passes its checks while QML misbehaves still fails.
// The runner of the link views' tests also gives the main window's connector, m_connector,
// and `link_lab` (QmlLinkLab) with hosts to link to.
class QmlTestSetup : public QObject
{
    Q_OBJECT
public:
    QmlTestSetup();

public slots:
    void qmlEngineAvailable(QQmlEngine *engine);

private:
    // Children of the setup, made for the first engine.
    QObject *m_connector = nullptr;
    QObject *m_lab = nullptr;
};
