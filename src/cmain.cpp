#include "cmain.h"

#include "app_logging.h"
#include "bundled_fonts.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/drag_helper.h"
#include "clipboard/preview_image_provider.h"
#include "clipboard/qml_helper.h"
#include "clipboard/quick_image_provider.h"
#include "connector_control.h"
#include "constants.h"
#include "datasync/transfer_messages.h"
#include "item/storage_paths.h"
#include "os/clipboard_abstract.h"
#include "os/os_abstract.h"
#include "os/packaged_app.h"
#include "os/private_storage.h"
#include "os/scene_graph_choice.h"
#include "qml_registration.h"
#include "quick_paste_view.h"
#include "released_window.h"
#include "scripting_control.h"
#include "settings/app_identity.h"
#include "settings/link_password.h"
#include "settings/settings_helper.h"
#include "usage_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickWindow>
#include <QThread>
#include <QTimer>
#include <QVersionNumber>

#include <utility>

namespace {
constexpr int kMsgMs = 10000;
constexpr int kStartedMsgMs = 30000;
// Of a linked host's machine name, in a message.
constexpr int kHostNameChars = 64;
constexpr int kUpdateCheckDelayMs = 3000;
constexpr ushort kDefaultLinkPort = 8121;
// A hidden window is given back after this long, so that a program left hidden for hours
// holds no window. Kept, a hidden window costs about a mebibyte (it lets go of its pictures
// as it hides); made again, a show takes about 25 ms longer. Shows a few minutes apart, as
// in a spell of copying and pasting, keep the window; a show after the release makes it
// again from the compiled documents.
constexpr int kReleaseHiddenMs = 3 * 60 * 1000;
// Once start-up work (the histories, the first capture) is done.
constexpr int kPrepareMainWindowMs = 1000;

// Files and images received from linked hosts live in a folder only this user can enter
// (the runtime folder, else below the cache), and do not survive a restart.
void PrepareTransferFolder()
{
    for (const QString &dir : StoragePaths::TransferFolderCandidates()) {
        QString problem;
        if (PrivateStorage::MakePrivateFolder(dir, &problem)) {
            PrivateStorage::EmptyFolder(dir);
            StoragePaths::SetTempRoot(dir);
            return;
        }
        qCWarning(lcApp) << "PrepareTransferFolder" << dir << problem;
    }
}
} // namespace

CMain::CMain(QObject *parent) : QObject(parent), m_drag(new CDragHelper(this))
{
    m_mainHiddenTimer.setSingleShot(true);
    setReleaseHiddenAfter(kReleaseHiddenMs);
    connect(&m_mainHiddenTimer, &QTimer::timeout, this, &CMain::releaseHiddenMainWindow);
}

CMain::~CMain()
{
    // Before the hot keys and the tray, which can ask for it, as if it were a member.
    delete m_quickPaste;
    // Its bindings reach into the engine's context: it goes before the engine.
    delete m_mainWindow.data();
}

bool CMain::initialise(const QUrl &main_qml)
{
    PrepareTransferFolder();
    // Before any view shows it and before the server listens.
    LinkPassword::EnsureSet(CSettingsHelper::instance());
    SceneGraphChoice::ChooseBeforeFirstWindow();
    qCDebug(lcApp) << "scene graph" << QQuickWindow::sceneGraphBackend() << "main thread"
                   << QThread::currentThreadId();
    qCDebug(lcApp) << StoragePaths::TempRoot() << StoragePaths::PinHistoryFile()
                   << StoragePaths::ClipboardHistoryFile();

    connectServices();
    // End-to-end tests of linking drive the connector through this; inert unless asked for.
    CConnectorControl::fromEnvironment(&m_connector, this);
    // Both users compare the code once, at the first encrypted link of two computers.
    connect(&m_connector, &CConnector::sigFirstLink, this,
            [this](const QString &ip, const QString &code) {
                showBalloon(QCoreApplication::translate(
                                "Connection",
                                "First encrypted link with %1. Verification code: %2. It must "
                                "be the same on both computers.")
                                .arg(ip, code),
                            kStartedMsgMs);
            });
    setupHotKeys();
    setupTray();

    QQmlContext *root_ctx = m_engine.rootContext();
    SetupContext(root_ctx);
    // Only the main window drags items out, shows update checks and links with hosts.
    root_ctx->setContextProperty(QStringLiteral("m_drag"), m_drag);
    root_ctx->setContextProperty(QStringLiteral("m_updater"), &m_updater);
    root_ctx->setContextProperty(QStringLiteral("m_connector"), &m_connector);
    RegisterQmlTypes();
    m_mainQml = main_qml;
    connectMainWindowNotices();

    // The history is kept from here on, whether a window is ever shown or not.
    CClipboardManager::instance()->restoreFromFile();
    OsInstance()->setWindowShadowLength(CConstants::instance()->shadowLen());
    OsInstance()->watchDisplayConnection();
    setupScripting();
    QTimer::singleShot(0, this, &CMain::DelayInit);
    // The main window's documents, compiled on the type loader's thread and held by this
    // component for the program's life, so that the first show (and a show after a release)
    // only makes the objects. A show before the compile is done waits for it there.
    QTimer::singleShot(kPrepareMainWindowMs, this, [this] {
        new QQmlComponent(&m_engine, m_mainQml, QQmlComponent::Asynchronous, this);
    });
    return true;
}

QQuickWindow *CMain::mainWindow()
{
    if (!m_mainWindow)
        createMainWindow();
    return m_mainWindow;
}

void CMain::createMainWindow()
{
    QElapsedTimer made;
    made.start();
    QQmlComponent component(&m_engine, m_mainQml);
    QObject *root = component.create(m_engine.rootContext());
    qCDebug(lcApp) << "main window made in" << made.elapsed() << "ms";
    auto *window = qobject_cast<QQuickWindow *>(root);
    if (!window) {
        qCCritical(lcApp) << Q_FUNC_INFO << __LINE__ << m_mainQml << "gave no window"
                          << component.errors();
        delete root;
        return;
    }
    m_mainWindow = window;
    OsInstance()->SetupMainWindow(window, m_engine.rootContext());
    connect(window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (visible)
            m_mainHiddenTimer.stop();
        else if (m_releaseHiddenMs > 0)
            m_mainHiddenTimer.start();
    });
    // Made hidden, for a report, it is given back too unless shown.
    if (m_releaseHiddenMs > 0)
        m_mainHiddenTimer.start();
}

void CMain::setReleaseHiddenAfter(int msecs)
{
    m_releaseHiddenMs = msecs;
    m_mainHiddenTimer.setInterval(msecs);
    if (msecs <= 0)
        m_mainHiddenTimer.stop();
    else if (m_mainWindow && !m_mainWindow->isVisible())
        m_mainHiddenTimer.start();
    if (m_quickPaste)
        m_quickPaste->setReleaseHiddenAfter(msecs);
}

void CMain::ToggleMainWnd()
{
    if (QQuickWindow *window = mainWindow())
        QMetaObject::invokeMethod(window, "switchWndVisibility", Qt::DirectConnection);
}

void CMain::releaseHiddenMainWindow()
{
    if (!m_mainWindow)
        return;
    QVariant can_release;
    QMetaObject::invokeMethod(m_mainWindow, "canRelease", Qt::DirectConnection,
                              Q_RETURN_ARG(QVariant, can_release));
    if (!can_release.toBool()) {
        // A dialog waits in the hidden window; try again later.
        qCDebug(lcApp) << "main window kept: it is shown or a dialog is open";
        if (!m_mainWindow->isVisible() && m_releaseHiddenMs > 0)
            m_mainHiddenTimer.start();
        return;
    }
    qCDebug(lcApp) << "main window released after" << m_releaseHiddenMs << "ms hidden";
    m_mainWindow->deleteLater();
    m_mainWindow.clear();
    // The document itself stays held by the component made in initialise().
    CollectAfterWindowRelease(&m_engine);
}

// Services that report while the window does not exist yet make it, so that the report is
// shown; the window's own handler missed the signal and is run by name.
void CMain::connectMainWindowNotices()
{
    connect(&m_connector, &CConnector::sigStartServerFailed, this, [this](const QString &why) {
        replayToNewWindow("connector_connections", "onSigStartServerFailed", {why});
    });
    connect(
        &m_connector, &CConnector::sigConnectionErr, this,
        [this](const QString &ip, const QString &why, bool is_server) {
            replayToNewWindow("connector_connections", "onSigConnectionErr", {ip, why, is_server});
        });
    connect(&m_updater, &CUpdaterHelper::sigFoundUpdates, this,
            [this](const QString &version, const QString &relnote) {
                replayToNewWindow("updater_connections", "onSigFoundUpdates", {version, relnote});
            });
}

void CMain::replayToNewWindow(const char *part, const char *handler, const QVariantList &args)
{
    if (m_mainWindow)
        return; // the window's own connection has it
    QQuickWindow *window = mainWindow();
    QObject *target = window ? window->findChild<QObject *>(QLatin1String(part)) : nullptr;
    if (!target)
        return;
    QGenericArgument a[3];
    for (int i = 0; i < args.size() && i < 3; ++i)
        a[i] = Q_ARG(QVariant, args.at(i));
    QMetaObject::invokeMethod(target, handler, Qt::DirectConnection, a[0], a[1], a[2]);
}

void CMain::connectServices()
{
    CQmlHelper *util = CQmlHelper::instance();
    CClipboardManager *cb = CClipboardManager::instance();
    connect(util, &CQmlHelper::sigUpdateModelMaxCount, cb->clipboardModel(),
            &CCilpboardListModel::UpdateMaxItemCount);
    connect(util, &CQmlHelper::sigShowTextViaTray, this, &CMain::ShowMsg);
    connect(util, &CQmlHelper::sigRestart, this, [] {
        qApp->setProperty(AppIdentity::kRestartProperty, true);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    // The icon goes before the (possibly slow) save, so the user sees the program end.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_tray.hide();
        m_connector.Shutdown();
        CClipboardManager::instance()->save2File();
    });
    // The process ends right after this: keep what is not on disk yet.
    connect(OsInstance(), &COSAbstract::sigDisplayLost, this, [] {
        CClipboardManager::instance()->save2File();
        CSettingsHelper::instance()->sync();
    });
    connect(util, &CQmlHelper::sigUpdateTrayIconStatus, this, [this] {
        CSettingsHelper *ini = CSettingsHelper::instance();
        const bool show = ini->getIni(ini->app_show_tray()).toBool();
        if (show != m_tray.isVisible())
            m_tray.setVisible(show);
    });
    connect(util, &CQmlHelper::sigShowQuickPaste, this, &CMain::ShowQuickWnd);
    connect(util, &CQmlHelper::sigSetGlobalShortcutEnable, this, &CMain::SetGlobalShortcutEnable);
}

void CMain::setupHotKeys()
{
    // Desktops that bind hot keys per program (the Wayland portal) list them by these names.
    m_hotkeyMain.setObjectName(QStringLiteral("show_clipboard"));
    m_hotkeyMain.setDescription(
        QCoreApplication::translate("Global", "Show the clipboard history"));
    m_hotkeyQp.setObjectName(QStringLiteral("quick_paste"));
    m_hotkeyQp.setDescription(
        QCoreApplication::translate("Global", "Quick paste from the history"));
    m_hotkeyQpPin.setObjectName(QStringLiteral("quick_paste_pin"));
    m_hotkeyQpPin.setDescription(
        QCoreApplication::translate("Global", "Quick paste from the pinned items"));
    SetGlobalShortcutEnable(true);
    qCDebug(lcApp) << "global shortcut main" << m_hotkeyMain.shortcut();
    qCDebug(lcApp) << "global shortcut qp" << m_hotkeyQp.shortcut();
    qCDebug(lcApp) << "global shortcut qp_pin" << m_hotkeyQpPin.shortcut();
    connect(&m_hotkeyMain, &QxtGlobalShortcut::activated, CQmlHelper::instance(),
            &CQmlHelper::sigShowMainWnd);
    connect(CQmlHelper::instance(), &CQmlHelper::sigShowMainWnd, this, &CMain::ToggleMainWnd);
    connect(&m_hotkeyQp, &QxtGlobalShortcut::activated, this, &CMain::ShowQuickWnd);
    connect(&m_hotkeyQpPin, &QxtGlobalShortcut::activated, this, &CMain::ShowQuickWndPin);
}

void CMain::setupTray()
{
    CQmlHelper *util = CQmlHelper::instance();
    connect(&m_tray, &CSystemTrayIcon::SigShowClipboard, util, &CQmlHelper::sigShowMainWnd);
    connect(&m_tray, &CSystemTrayIcon::SigShowQuickpaste, util, &CQmlHelper::sigShowQuickPaste);
    connect(&m_tray, &CSystemTrayIcon::SigQuit, qApp, &QCoreApplication::quit);
    setupLinkNotices();
    setupPause();
}

// Another host may link on its own: the user hears of it, and a click on the message opens
// the main window, whose host bar drops a host with its button.
void CMain::setupLinkNotices()
{
    const auto label = [](const QString &name) {
        const QString shown = name.simplified().left(kHostNameChars);
        return shown.isEmpty() ? QCoreApplication::translate("Connection", "A host") : shown;
    };
    connect(&m_connector, &CConnector::sigHostLinked, this,
            [this, label](const QString &ip, const QString &name) {
                showBalloon(QCoreApplication::translate("Connection",
                                                        "%1 (%2) is linked with this computer. "
                                                        "Click to see the linked hosts.")
                                .arg(label(name), ip),
                            kMsgMs);
                m_linkNoticeShown = true;
            });
    connect(&m_connector, &CConnector::sigHostLeft, this,
            [this, label](const QString &ip, const QString &name) {
                showBalloon(
                    QCoreApplication::translate("Connection", "%1 (%2) is no longer linked.")
                        .arg(label(name), ip),
                    kMsgMs);
            });
    connect(&m_tray, &QSystemTrayIcon::messageClicked, this, [this] {
        if (m_linkNoticeShown)
            emit CQmlHelper::instance()->sigShowMainWnd();
    });
}

void CMain::setupPause()
{
    CClipboardManager *cb = CClipboardManager::instance();
    m_tray.setPaused(cb->isPaused());
    connect(&m_tray, &CSystemTrayIcon::SigPauseToggled, cb, &CClipboardManager::setPaused);
    connect(cb, &CClipboardManager::sigPausedChanged, &m_tray, &CSystemTrayIcon::setPaused);
}

void CMain::setupScripting()
{
    CScriptingControl::Windows windows;
    // Not made for asking: a window that does not exist yet is hidden.
    windows.main = [this] {
        return m_mainWindow.data();
    };
    windows.quickPaste = [this](bool pin) {
        if (pin)
            ShowQuickWndPin();
        else
            ShowQuickWnd();
    };
    m_scripting = new CScriptingControl(std::move(windows), this);
    m_scripting->publish(AppIdentity::kDesktopFileName);
}

void CMain::SetGlobalShortcutEnable(bool enable)
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    auto sequence = [ini, enable](const QString &key) {
        return enable ? QKeySequence(ini->getIni(key).toString()) : QKeySequence();
    };
    // Disabled, a desktop that binds named actions is offered none of them.
    for (QxtGlobalShortcut *hotkey : {&m_hotkeyMain, &m_hotkeyQp, &m_hotkeyQpPin})
        hotkey->setEnabled(enable);
    const std::pair<QxtGlobalShortcut *, QString> hot_keys[] = {
        {&m_hotkeyMain, ini->key_show_clipboard()},
        {&m_hotkeyQp, ini->key_show_quick_paste()},
        {&m_hotkeyQpPin, ini->key_show_quick_paste_pin()}};
    for (const auto &hot_key : hot_keys) {
        const QKeySequence keys = sequence(hot_key.second);
        if (hot_key.first->setShortcut(keys) || keys.isEmpty() ||
            m_hotkeysToldTaken.contains(keys.toString()))
            continue;
        // The log alone leaves the user wondering why the key does nothing.
        m_hotkeysToldTaken.insert(keys.toString());
        emit CQmlHelper::instance()->sigShowTextViaTray(
            QCoreApplication::translate("Global",
                                        "The hot key %1 could not be set: another program "
                                        "holds it.")
                .arg(keys.toString(QKeySequence::NativeText)));
    }
}

void CMain::ensureQuickPasteView()
{
    if (!m_quickPaste) {
        m_quickPaste = new CQuickPasteView(this);
        m_quickPaste->setReleaseHiddenAfter(m_releaseHiddenMs);
    }
}

void CMain::ShowQuickWnd()
{
    ensureQuickPasteView();
    m_quickPaste->ShowQuickPaste(false);
}

void CMain::ShowQuickWndPin()
{
    ensureQuickPasteView();
    m_quickPaste->ShowQuickPaste(true);
}

void CMain::SetupContext(QQmlContext *ctx)
{
    BundledFonts::Register();
    CClipboardManager *cb = CClipboardManager::instance();
    ctx->setContextProperty(QStringLiteral("m_const"), CConstants::instance());
    ctx->setContextProperty(QStringLiteral("m_cb"), cb);
    ctx->setContextProperty(QStringLiteral("m_model"), cb->clipboardModel());
    ctx->setContextProperty(QStringLiteral("m_model_pin"), cb->pinModel());
    ctx->setContextProperty(QStringLiteral("m_utilities"), CQmlHelper::instance());
    ctx->setContextProperty(QStringLiteral("m_ini"), CSettingsHelper::instance());
    ctx->engine()->addImageProvider(QStringLiteral("img"), new CQuickImageProvider);
    ctx->engine()->addImageProvider(QStringLiteral("preview"), new CPreviewImageProvider);
}

void CMain::ShowMsg(const QString &msg)
{
    showBalloon(msg, kMsgMs);
}

void CMain::showBalloon(const QString &msg, int msecs)
{
    // A hidden icon shows no balloon; the log keeps the message either way.
    qCDebug(lcApp).noquote() << "balloon:" << msg << "(" << msecs << "ms)";
    m_linkNoticeShown = false;
    m_tray.showMessage(AppIdentity::kName, msg, QSystemTrayIcon::Information, msecs);
}

void CMain::DelayInit()
{
    CheckAppVersion();
    m_connector.StartServer(linkServerPort());
    // A packaged installation is updated by its store, never by a check of its own.
    CSettingsHelper *ini = CSettingsHelper::instance();
    if (!IsPackagedApp() && ini->getIni(ini->app_autoupdate()).toBool())
        QTimer::singleShot(kUpdateCheckDelayMs, &m_updater, &CUpdaterHelper::updateAutomatically);
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
