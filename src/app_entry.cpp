#include "app_entry.h"

#include "app_logging.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "os/os_abstract.h"
#include "os/process_services.h"
#include "os/single_instance.h"
#include "os/unix_signal_quit.h"
#include "settings/app_identity.h"
#include "settings/settings_helper.h"
#include "translation/translation_ini.h"

#include <QApplication>
#include <QIcon>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

namespace {
QString g_appDir;
constexpr int kTranslationFailedLine = 82;
// Set for the restart program, whose start of the program inherits it: the program that
// comes back shows its window again, as the user left it open to change a setting.
const char kReopenWindowVariable[] = "TOLVANE_REOPEN_WINDOW";
} // namespace

QString ApplicationDirAtStart()
{
    return g_appDir;
}

void SetupApplication()
{
    QCoreApplication::setOrganizationName(AppIdentity::kOrganisation);
    QCoreApplication::setOrganizationDomain(AppIdentity::kOrganisationDomain);
    QCoreApplication::setApplicationName(AppIdentity::kName);
    QGuiApplication::setApplicationDisplayName(AppIdentity::kName);
    QCoreApplication::setApplicationVersion(AppIdentity::kVersion);
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(AppIdentity::kDesktopFileName);

    QApplication::setEffectEnabled(Qt::UI_FadeMenu);
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip);
    QApplication::setEffectEnabled(Qt::UI_AnimateToolBox);
    // The program lives in the tray; its windows hide rather than close.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    qApp->setProperty(AppIdentity::kRestartProperty, false);

    CSettingsHelper *ini = CSettingsHelper::instance();
    if (ini->getIni(ini->app_version()).toString().isEmpty())
        ini->setIni(ini->app_theme_color(), !OsInstance()->IsSystemDarkTheme());
    OsInstance()->ApplyTheme(ini->getIni(ini->app_theme_color()).toBool());
}

bool Exec(int argc, char **argv, int &exit_code)
{
    QApplication app(argc, argv);
    // Ends after the controller and its QML engines, before the application object.
    ProcessServices::Scope services;
    QGuiApplication::setWindowIcon(QIcon(AppIdentity::kWindowIcon));
    g_appDir = QCoreApplication::applicationDirPath();

    static SingleInstanceLock lock; // held until the process ends
    if (!lock.tryAcquire())
        return false;

    SetupApplication();
    const bool translated = Translation_Ini::UpdateTranslation();

    CUnixSignalQuit signal_quit;
    CMain controller;
    if (!controller.initialise()) {
        exit_code = 1;
        return false;
    }
    if (qEnvironmentVariableIsSet(kReopenWindowVariable)) {
        qunsetenv(kReopenWindowVariable); // not for the programs this one starts
        QTimer::singleShot(0, &controller, [] { emit CQmlHelper::instance()->sigShowMainWnd(); });
    }
    if (!translated) {
        qCWarning(lcApp) << "Exec" << kTranslationFailedLine;
        controller.ShowMsg(QCoreApplication::translate("Global", "Update language failed"));
    }
    exit_code = QCoreApplication::exec();
    return app.property(AppIdentity::kRestartProperty).toBool();
}

bool StartRestartHelper()
{
    const QString helper = g_appDir + QStringLiteral("/TolvaneHelper");
    QProcess process;
    process.setProgram(helper);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kReopenWindowVariable), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    const bool ok = process.startDetached();
    qCDebug(lcApp) << "+++++++++++++++++++++++++++++++++++++"
                   << "restart" << ok;
    return ok;
}
