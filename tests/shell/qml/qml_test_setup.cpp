#include "qml_test_setup.h"

#include "cmain.h"
#include "qml_registration.h"
#include "qt_warning_log.h"

#ifdef TOLVANE_QML_LINK_LAB
#include "datasync/connector.h"
#include "qml_link_lab.h"
#endif

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
    QQmlContext *ctx = engine->rootContext();
    CMain::SetupContext(ctx);
    ctx->setContextProperty(QStringLiteral("qml_warnings"), log);
#ifdef TOLVANE_QML_LINK_LAB
    if (!m_connector) {
        m_connector = new CConnector(this);
        m_lab = new QmlLinkLab(this);
    }
    ctx->setContextProperty(QStringLiteral("m_connector"), m_connector);
    ctx->setContextProperty(QStringLiteral("link_lab"), m_lab);
#endif
}
