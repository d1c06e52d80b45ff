#include "qml_test_setup.h"

#include "cmain.h"
#include "qml_registration.h"

#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlError>
#include <QtQml>

void QmlWarningLog::record(const QList<QQmlError> &warnings)
{
    for (const QQmlError &w : warnings)
        m_messages << w.toString();
    emit changed();
}

QmlTestSetup::QmlTestSetup()
{
    RegisterQmlTypes();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    connect(engine, &QQmlEngine::warnings, &m_log, &QmlWarningLog::record);
    CMain::SetupContext(engine->rootContext());
    engine->rootContext()->setContextProperty(QStringLiteral("qml_warnings"), &m_log);
}
