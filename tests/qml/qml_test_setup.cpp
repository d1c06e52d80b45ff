#include "qml_test_setup.h"

#include "cmain.h"
#include "qml_registration.h"
#include "qt_warning_log.h"

#include <QQmlContext>
#include <QQmlEngine>

QmlTestSetup::QmlTestSetup()
{
    RegisterQmlTypes();
}

void QmlTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    QtWarningLog *log = QtWarningLog::instance();
    log->watch(engine);
    log->listenOnceTestLoggingStarts();
    CMain::SetupContext(engine->rootContext());
    engine->rootContext()->setContextProperty(QStringLiteral("qml_warnings"), log);
}
