#pragma once

#include <QHash>
#include <QObject>
#include <QSettings>
#include <QVariant>

// The one place where user settings are read and written. Every key has a default and a
// storage group; the user interface only ever spells keys through the key-name methods.
class CSettingsHelper : public QObject
{
    Q_OBJECT
public:
    static CSettingsHelper *instance();

    Q_INVOKABLE QVariant getIni(const QString &key);
    Q_INVOKABLE void setIni(const QString &key, const QVariant &val);
    Q_INVOKABLE void startupSetup(bool checked);
    Q_INVOKABLE void reset();

    Q_INVOKABLE QString app_autorun() const { return QStringLiteral("app_autorun"); }
    Q_INVOKABLE QString app_autoupdate() const { return QStringLiteral("app_autoupdate"); }
    Q_INVOKABLE QString app_theme_color() const { return QStringLiteral("app_theme_color"); }
    Q_INVOKABLE QString app_show_tray() const { return QStringLiteral("app_show_tray"); }
    Q_INVOKABLE QString app_i18n() const { return QStringLiteral("app_i18n"); }
    Q_INVOKABLE QString app_version() const { return QStringLiteral("app_version"); }
    Q_INVOKABLE QString stack_max_item_count() const
    {
        return QStringLiteral("stack_max_item_count");
    }
    Q_INVOKABLE QString stack_quickview_item_height() const
    {
        return QStringLiteral("stack_quickview_item_height");
    }
    Q_INVOKABLE QString stack_qp_hide() const { return QStringLiteral("stack_qp_hide"); }
    // Whether capture is paused, whether that survives a restart (otherwise every start
    // captures), and the applications whose copies are never captured.
    Q_INVOKABLE QString stack_paused() const { return QStringLiteral("stack_paused"); }
    Q_INVOKABLE QString stack_keep_paused() const { return QStringLiteral("stack_keep_paused"); }
    Q_INVOKABLE QString stack_ignored_apps() const { return QStringLiteral("stack_ignored_apps"); }
    Q_INVOKABLE QString connect_ip() const { return QStringLiteral("connect_ip"); }
    Q_INVOKABLE QString connect_port() const { return QStringLiteral("connect_port"); }
    Q_INVOKABLE QString connect_local_pwd() const { return QStringLiteral("connect_local_pwd"); }
    // The user cleared the link password on purpose: it stays empty.
    Q_INVOKABLE QString connect_local_pwd_open() const
    {
        return QStringLiteral("connect_local_pwd_open");
    }
    // "true": links that are not encrypted are refused, both ways.
    Q_INVOKABLE QString connect_refuse_plain() const
    {
        return QStringLiteral("connect_refuse_plain");
    }
    Q_INVOKABLE QString key_show_clipboard() const { return QStringLiteral("key_show_clipboard"); }
    Q_INVOKABLE QString key_show_quick_paste() const
    {
        return QStringLiteral("key_show_quick_paste");
    }
    Q_INVOKABLE QString key_show_quick_paste_pin() const
    {
        return QStringLiteral("key_show_quick_paste_pin");
    }
    // The paste keystroke by window class, "Name=Keys;Name=Keys", over the built-in table.
    Q_INVOKABLE QString paste_keys_by_class() const
    {
        return QStringLiteral("paste_keys_by_class");
    }

    // Where the store lives; for logs and tests.
    QString fileName() const { return m_settings.fileName(); }
    void sync() { m_settings.sync(); }

signals:
    void sigQuickpasteItemHeightChanged(int height);

private:
    CSettingsHelper();

    struct Group
    {
        QString name; // empty for the ungrouped keys
        QHash<QString, QVariant> defaults;
    };
    const Group &groupOf(const QString &key) const;

    QSettings m_settings;
    Group m_ungrouped;
    Group m_stack;
    Group m_connect;
    Group m_keyboard;
};
