#include "main_window_start.h"

#include "cmain.h"
#include "free_port.h"
#include "qt_warning_log.h"
#include "settings/settings_helper.h"
#include "translation/translation_ini.h"

#include <QQmlApplicationEngine>
#include <QQuickWindow>

namespace MainWindowStart {

QString Theme()
{
    return qEnvironmentVariable("TOLVANE_UI_THEME") == QLatin1String("dark")
               ? QStringLiteral("dark")
               : QStringLiteral("light");
}

QString Variant()
{
    return qEnvironmentVariable("TOLVANE_UI_LANG") == QLatin1String("zh_CN")
               ? QStringLiteral("zh_CN")
               : Theme();
}

bool PrepareSettings(bool tray)
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    ini->setIni(ini->app_version(), "1.5.0");
    ini->setIni(ini->app_theme_color(), Theme() == QLatin1String("light"));
    if (tray)
        ini->setIni(ini->app_show_tray(), true);
    ini->setIni(ini->app_autoupdate(), false);
    ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
    if (Variant() != QLatin1String("zh_CN"))
        return true;
    ini->setIni(ini->app_i18n(), "zh_CN");
    return Translation_Ini::UpdateTranslation();
}

CMain *Start(QObject *parent)
{
    QtWarningLog::instance()->listenNow();
    auto *main = new CMain(parent);
    QtWarningLog::instance()->watch(main->engine());
    main->setReleaseHiddenAfter(0); // tests hold on to the window
    if (!main->initialise() || !Window(main)) {
        delete main;
        return nullptr;
    }
    return main;
}

QQuickWindow *Window(CMain *main)
{
    return main->mainWindow();
}

} // namespace MainWindowStart
