#include "cmain.h"

#include "app_logging.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "clipboard/quick_image_provider.h"
#include "connector_control.h"
#include "constants.h"
#include "datasync/transfer_messages.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "qml_registration.h"
#include "settings/app_identity.h"
#include "settings/settings_helper.h"
#include "usage_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QQmlContext>
#include <QQuickWindow>
#include <QThread>
#include <QTimer>
#include <QVersionNumber>

namespace {
constexpr int kMsgMs = 10000;
constexpr int kStartedMsgMs = 30000;
constexpr ushort kDefaultLinkPort = 8121;
} // namespace

CMain::CMain(QObject *parent) : QObject(parent) {}

CMain::~CMain() = default;

bool CMain::initialise(const QUrl &main_qml)
{
    // Received files do not survive a restart.
    QDir(StoragePaths::TempRoot()).removeRecursively();
    qCDebug(lcApp) << "scene graph" << QQuickWindow::sceneGraphBackend() << "main thread"
                   << QThread::currentThreadId();
    qCDebug(lcApp) << StoragePaths::TempRoot() << StoragePaths::PinHistoryFile()
                   << StoragePaths::ClipboardHistoryFile();

    connectServices();
    // End-to-end tests of linking drive the connector through this; inert unless asked for.
    CConnectorControl::fromEnvironment(&m_connector, this);

    SetupContext(m_engine.rootContext());
    m_engine.rootContext()->setContextProperty(QStringLiteral("m_connector"), &m_connector);
    RegisterQmlTypes();
    m_engine.load(main_qml);

    const QList<QObject *> roots = m_engine.rootObjects();
    auto *window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.first());
    if (!window) {
        qCCritical(lcApp) << Q_FUNC_INFO << __LINE__ << main_qml << "gave no window";
        return false;
    }
    OsInstance()->setWindowShadowLength(CConstants::instance()->shadowLen());
    OsInstance()->SetupMainWindow(window, m_engine.rootContext());
    QTimer::singleShot(0, this, &CMain::DelayInit);
    return true;
}

void CMain::connectServices()
{
    CQmlHelper *util = CQmlHelper::instance();
    CClipboardManager *cb = CClipboardManager::instance();
    connect(util, &CQmlHelper::sigUpdateModelMaxCount, cb->clipboardModel(),
            &CCilpboardListModel::UpdateMaxItemCount);
    connect(util, &CQmlHelper::SigSetupContextFromMain, this, &CMain::SetupContext);
    connect(util, &CQmlHelper::sigShowTextViaTray, this, &CMain::ShowMsg);
    connect(util, &CQmlHelper::sigRestart, this, [] {
        qApp->setProperty(AppIdentity::kRestartProperty, true);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_connector.Shutdown();
        CClipboardManager::instance()->save2File();
    });
}

void CMain::SetupContext(QQmlContext *ctx)
{
    CClipboardManager *cb = CClipboardManager::instance();
    ctx->setContextProperty(QStringLiteral("m_const"), CConstants::instance());
    ctx->setContextProperty(QStringLiteral("m_cb"), cb);
    ctx->setContextProperty(QStringLiteral("m_model"), cb->clipboardModel());
    ctx->setContextProperty(QStringLiteral("m_model_pin"), cb->pinModel());
    ctx->setContextProperty(QStringLiteral("m_utilities"), CQmlHelper::instance());
    ctx->setContextProperty(QStringLiteral("m_ini"), CSettingsHelper::instance());
    ctx->engine()->addImageProvider(QStringLiteral("img"), new CQuickImageProvider);
}

void CMain::ShowMsg(const QString &msg)
{
    showBalloon(msg, kMsgMs);
}

void CMain::showBalloon(const QString &msg, int msecs)
{
    // Balloons need the tray icon; until it exists the message goes to the log only.
    qCInfo(lcApp).noquote() << AppIdentity::kName << ":" << msg << "(" << msecs << "ms)";
}

void CMain::DelayInit()
{
    CheckAppVersion();
    m_connector.StartServer(linkServerPort());
}

ushort CMain::linkServerPort()
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    const int port = ini->getIni(ini->connect_port()).toInt();
    if (TransferMessage::IsValidPort(port))
        return ushort(port);
    // Port 0 would make the system pick one that no other host can guess.
    qCWarning(lcApp) << Q_FUNC_INFO << __LINE__
                     << "no usable port in the settings:" << ini->getIni(ini->connect_port())
                     << "- using" << kDefaultLinkPort;
    return kDefaultLinkPort;
}

void CMain::CheckAppVersion()
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    const QVersionNumber stored =
        QVersionNumber::fromString(ini->getIni(ini->app_version()).toString());
    if (stored.segmentCount() == 0) {
        OsInstance()->ClipboardWatcher()->setHtml(BuildUsageHtml(), false);
        showBalloon(QCoreApplication::translate("Global", "Application started."), kStartedMsgMs);
        ini->setIni(ini->app_version(), AppIdentity::kVersion);
        return;
    }
    if (stored == QVersionNumber::fromString(AppIdentity::kVersion))
        return;
    ini->setIni(ini->app_version(), AppIdentity::kVersion);
}
