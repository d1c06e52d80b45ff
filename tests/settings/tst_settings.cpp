#include "isolated_env.h"
#include "os/packaged_app.h"
#include "settings/app_identity.h"
#include "settings/link_password.h"
#include "settings/settings_helper.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <sys/stat.h>

class TestSettings : public QObject
{
    Q_OBJECT
private:
    CSettingsHelper *ini() { return CSettingsHelper::instance(); }
    // A second reader on the same file sees what was really stored, and where.
    QSettings fileView()
    {
        ini()->sync();
        return QSettings(ini()->fileName(), QSettings::IniFormat);
    }

private slots:
    // An older version left the file readable by everyone; it will hold the link password.
    void initTestCase()
    {
        ::umask(022);
        const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Marden/Tolvane.conf";
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[foreign]\nnote=from an older version\n");
        f.close();
        QVERIFY(f.permissions() & QFileDevice::ReadOther);
    }

    void storeLivesInTheUsersConfig()
    {
        QVERIFY(ini()->fileName().endsWith("/.config/Marden/Tolvane.conf"));
        QVERIFY(ini()->fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    }

    void freshProfileGivesEveryDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("app_autorun") << "app_autorun" << QVariant(false);
        // Run from the build tree: installed by hand, so the program checks by itself.
        QTest::newRow("app_autoupdate") << "app_autoupdate" << QVariant(true);
        QTest::newRow("app_theme_color") << "app_theme_color" << QVariant(true);
        QTest::newRow("app_show_tray") << "app_show_tray" << QVariant(true);
        QTest::newRow("app_version") << "app_version" << QVariant();
        QTest::newRow("app_i18n") << "app_i18n" << QVariant(QString());
        QTest::newRow("stack_max_item_count") << "stack_max_item_count" << QVariant(50);
        QTest::newRow("stack_quickview_item_height")
            << "stack_quickview_item_height" << QVariant(3);
        QTest::newRow("stack_qp_hide") << "stack_qp_hide" << QVariant(0);
        QTest::newRow("stack_paused") << "stack_paused" << QVariant(false);
        QTest::newRow("stack_keep_paused") << "stack_keep_paused" << QVariant(false);
        QTest::newRow("stack_ignored_apps")
            << "stack_ignored_apps"
            << QVariant(QStringList{"KeePassXC", "KeePass2", "KeePass", "Bitwarden", "1Password",
                                    "Seahorse", "gnome-keyring", "gnome-keyring-daemon"});
        QTest::newRow("connect_ip") << "connect_ip" << QVariant(QString());
        QTest::newRow("connect_port") << "connect_port" << QVariant(QString("8121"));
        QTest::newRow("connect_local_pwd") << "connect_local_pwd" << QVariant(QString());
        QTest::newRow("connect_local_pwd_open") << "connect_local_pwd_open" << QVariant(false);
        QTest::newRow("connect_refuse_plain") << "connect_refuse_plain" << QVariant(false);
        QTest::newRow("key_show_clipboard") << "key_show_clipboard" << QVariant("Ctrl+Alt+C");
        QTest::newRow("key_show_quick_paste") << "key_show_quick_paste" << QVariant("Ctrl+Alt+V");
        QTest::newRow("key_show_quick_paste_pin")
            << "key_show_quick_paste_pin" << QVariant(QString());
    }
    void freshProfileGivesEveryDefault()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        const QVariant v = ini()->getIni(key);
        QCOMPARE(v, expected);
        QCOMPARE(v.userType(), expected.userType()); // "8121" stays text, not int
    }

    // Below /usr only a package manager installs; it also brings the updates.
    void packageManagerInstallsAreKnownByTheirPlace_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("managed");
        QTest::newRow("distribution package") << "/usr/bin/tolvane" << true;
        QTest::newRow("by hand below /usr/local") << "/usr/local/bin/tolvane" << false;
        QTest::newRow("a way out of /usr") << "/usr/../home/u/tolvane" << false;
        QTest::newRow("build tree") << "/home/u/tolvane/build/bin/tolvane" << false;
        QTest::newRow("unknown") << "" << false;
    }
    void packageManagerInstallsAreKnownByTheirPlace()
    {
        QFETCH(QString, path);
        QFETCH(bool, managed);
        QCOMPARE(IsInstalledByPackageManager(path), managed);
    }

    void keyNameMethodsSpellTheirKeys()
    {
        const QMetaObject *mo = ini()->metaObject();
        int names = 0;
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i) {
            const QMetaMethod m = mo->method(i);
            if (m.methodType() != QMetaMethod::Method || m.parameterCount() != 0 ||
                m.returnType() != QMetaType::QString)
                continue;
            QString result;
            QVERIFY(m.invoke(ini(), Q_RETURN_ARG(QString, result)));
            QCOMPARE(result, QString::fromLatin1(m.name()));
            ++names;
        }
        QCOMPARE(names, 21);
    }

    void writesGoToTheKeysGroup()
    {
        ini()->setIni("stack_max_item_count", 80);
        ini()->setIni("connect_ip", "10.0.0.2");
        ini()->setIni("key_show_quick_paste_pin", "Ctrl+Alt+P");
        ini()->setIni("app_show_tray", false);
        ini()->setIni("no_such_key", "free");
        QCOMPARE(ini()->getIni("stack_max_item_count").toInt(), 80);
        QCOMPARE(ini()->getIni("no_such_key").toString(), QString("free"));

        QSettings f = fileView();
        QCOMPARE(f.value("stack/stack_max_item_count").toInt(), 80);
        QCOMPARE(f.value("connect/connect_ip").toString(), QString("10.0.0.2"));
        QCOMPARE(f.value("keyboard/key_show_quick_paste_pin").toString(), QString("Ctrl+Alt+P"));
        QCOMPARE(f.value("app_show_tray").toBool(), false);
        QCOMPARE(f.value("no_such_key").toString(), QString("free"));
        QVERIFY(!f.contains("stack_max_item_count")); // not at top level
    }

    void unknownKeyWithoutValueIsInvalid() { QVERIFY(!ini()->getIni("never_written").isValid()); }

    void nonNumericPortReadsAsZero()
    {
        ini()->setIni("connect_port", "eighty");
        QCOMPARE(ini()->getIni("connect_port").toInt(), 0);
        ini()->setIni("connect_port", "8121");
    }

    void resetKeepsOnlyTheVersionAndAsksForRestart()
    {
        ini()->setIni("app_theme_color", false);
        ini()->setIni("stack_max_item_count", 12);
        qApp->setProperty(AppIdentity::kRestartProperty, false);

        // reset() quits on the next turn; that ends this local loop long before the guard.
        QEventLoop loop;
        bool guard_fired = false;
        QTimer::singleShot(5000, &loop, [&] {
            guard_fired = true;
            loop.quit();
        });
        ini()->reset();
        loop.exec();
        QVERIFY(!guard_fired);
        QVERIFY(qApp->property(AppIdentity::kRestartProperty).toBool());

        QSettings f = fileView();
        QCOMPARE(f.allKeys(), QStringList{"app_version"});
        QCOMPARE(ini()->getIni("app_version").toString(), QString("1.5.0"));
        QCOMPARE(ini()->getIni("app_theme_color").toBool(), true);
        QCOMPARE(ini()->getIni("stack_max_item_count").toInt(), 50);
    }

    void startupSetupLeavesTheAutorunKeyAlone()
    {
        ini()->setIni("app_autorun", false);
        ini()->startupSetup(true);
        QCOMPARE(ini()->getIni("app_autorun").toBool(), false);
        ini()->startupSetup(false);
    }

    void theFileIsPrivateAndStaysSo()
    {
        const auto private_to_user = [this] {
            return (QFileInfo(ini()->fileName()).permissions() &
                    (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                     QFileDevice::WriteOther)) == 0;
        };
        QVERIFY(private_to_user());
        ini()->setIni("connect_local_pwd", "a secret");
        ini()->sync(); // the store writes a new file in place of the old one
        QVERIFY(fileView().contains("connect/connect_local_pwd"));
        QVERIFY(private_to_user());
    }

    // Nothing is open to the network unless the user cleared the password on purpose.
    void linkPasswordIsSetUnlessClearedOnPurpose_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("open");
        QTest::addColumn<bool>("generated");
        QTest::newRow("first start") << QVariant() << QVariant() << true;
        QTest::newRow("empty from an earlier version") << QVariant("") << QVariant() << true;
        QTest::newRow("empty, flag off") << QVariant("") << QVariant(false) << true;
        QTest::newRow("cleared by the user") << QVariant("") << QVariant(true) << false;
        QTest::newRow("the user's own") << QVariant("mine") << QVariant(false) << false;
    }
    void linkPasswordIsSetUnlessClearedOnPurpose()
    {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, open);
        QFETCH(bool, generated);
        QSettings raw(ini()->fileName(), QSettings::IniFormat);
        raw.remove("connect");
        if (stored.isValid())
            raw.setValue("connect/connect_local_pwd", stored);
        if (open.isValid())
            raw.setValue("connect/connect_local_pwd_open", open);
        raw.sync();
        ini()->sync(); // reads what the other writer stored
        const QString before = ini()->getIni(ini()->connect_local_pwd()).toString();
        QCOMPARE(LinkPassword::EnsureSet(ini()), generated);
        const QString after = fileView().value("connect/connect_local_pwd").toString();
        if (!generated) {
            QCOMPARE(after, before);
            return;
        }
        QCOMPARE(after.size(), LinkPassword::kLength);
        QVERIFY(after != LinkPassword::Generate());
        QCOMPARE(LinkPassword::EnsureSet(ini()), false); // kept from now on
    }
};

TOLVANE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
