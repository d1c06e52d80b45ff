#include "settings/settings_helper.h"

#include "os/os_abstract.h"
#include "os/packaged_app.h"
#include "os/private_storage.h"
#include "os/process_services.h"
#include "settings/app_identity.h"
#include "settings/settings_logging.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
QSettings::Format StoreFormat()
{
    return IsPackagedApp() ? QSettings::IniFormat : QSettings::NativeFormat;
}
} // namespace

CSettingsHelper *CSettingsHelper::instance()
{
    // Built on first use, which must come after the application's identity is set.
    static CSettingsHelper *inst = ProcessServices::Adopt(new CSettingsHelper);
    return inst;
}

CSettingsHelper::CSettingsHelper()
    : m_settings(StoreFormat(), QSettings::UserScope, AppIdentity::kOrganisation,
                 AppIdentity::kName)
{
    qCDebug(lcSettings) << "settings file" << m_settings.fileName() << "format"
                        << m_settings.format();
    // It will hold the link password. The store replaces the file on every write, keeping the
    // permissions it finds, so a private file stays private.
    PrivateStorage::MakePrivateFile(m_settings.fileName());

    m_ungrouped.defaults = {
        {app_autorun(), false},
        // A package manager brings the updates; a check of our own would only nag.
        {app_autoupdate(), !IsInstalledByPackageManager(QCoreApplication::applicationFilePath())},
        {app_theme_color(), true},
        {app_show_tray(), true},
        {app_version(), QVariant()},
        {app_i18n(), QString()},
    };
    m_stack.name = QStringLiteral("stack");
    m_stack.defaults = {
        {stack_max_item_count(), 50},
        {stack_quickview_item_height(), 3},
        {stack_qp_hide(), 0},
        {stack_paused(), false},
        {stack_keep_paused(), false},
        // Password managers and keyrings, by window class or executable name.
        {stack_ignored_apps(),
         QStringList{QStringLiteral("KeePassXC"), QStringLiteral("KeePass2"),
                     QStringLiteral("KeePass"), QStringLiteral("Bitwarden"),
                     QStringLiteral("1Password"), QStringLiteral("Seahorse"),
                     QStringLiteral("gnome-keyring"), QStringLiteral("gnome-keyring-daemon")}},
    };
    m_connect.name = QStringLiteral("connect");
    m_connect.defaults = {
        {connect_ip(), QString()},
        {connect_port(), QStringLiteral("8121")},
        {connect_local_pwd(), QString()},
        {connect_local_pwd_open(), false},
        {connect_refuse_plain(), false},
    };
    m_keyboard.name = QStringLiteral("keyboard");
    m_keyboard.defaults = {
        {key_show_clipboard(), QStringLiteral("Ctrl+Alt+C")},
        {key_show_quick_paste(), QStringLiteral("Ctrl+Alt+V")},
        {key_show_quick_paste_pin(), QString()},
        {paste_keys_by_class(), QString()},
    };
}

const CSettingsHelper::Group &CSettingsHelper::groupOf(const QString &key) const
{
    for (const Group *g : {&m_ungrouped, &m_stack, &m_keyboard, &m_connect}) {
        if (g->defaults.contains(key))
            return *g;
    }
    return m_ungrouped; // unknown keys: top level, no default
}

QVariant CSettingsHelper::getIni(const QString &key)
{
    const Group &g = groupOf(key);
    if (g.name.isEmpty())
        return m_settings.value(key, g.defaults.value(key));
    m_settings.beginGroup(g.name);
    QVariant v = m_settings.value(key, g.defaults.value(key));
    m_settings.endGroup();
    return v;
}

void CSettingsHelper::setIni(const QString &key, const QVariant &val)
{
    const Group &g = groupOf(key);
    if (g.name.isEmpty()) {
        m_settings.setValue(key, val);
        return;
    }
    m_settings.beginGroup(g.name);
    m_settings.setValue(key, val);
    m_settings.endGroup();
}

void CSettingsHelper::startupSetup(bool checked)
{
    OsInstance()->SetAutoRun(checked);
}

void CSettingsHelper::reset()
{
    m_settings.clear();
    // Not a first run afterwards: no usage text, no theme taken from the system.
    setIni(app_version(), AppIdentity::kVersion);
    m_settings.sync();
    if (qApp) {
        qApp->setProperty(AppIdentity::kRestartProperty, true);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
}
