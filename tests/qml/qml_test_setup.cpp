#include "qml_test_setup.h"

#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "clipboard/quick_image_provider.h"
#include "constants.h"
#include "qml_registration.h"
#include "settings/settings_helper.h"

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
    QQmlContext *ctx = engine->rootContext();
    CClipboardManager *cb = CClipboardManager::instance();
    ctx->setContextProperty(QStringLiteral("m_const"), CConstants::instance());
    ctx->setContextProperty(QStringLiteral("m_cb"), cb);
    ctx->setContextProperty(QStringLiteral("m_model"), cb->clipboardModel());
    ctx->setContextProperty(QStringLiteral("m_model_pin"), cb->pinModel());
    ctx->setContextProperty(QStringLiteral("m_utilities"), CQmlHelper::instance());
    ctx->setContextProperty(QStringLiteral("m_ini"), CSettingsHelper::instance());
    ctx->setContextProperty(QStringLiteral("qml_warnings"), &m_log);
    engine->addImageProvider(QStringLiteral("img"), new CQuickImageProvider);
}
