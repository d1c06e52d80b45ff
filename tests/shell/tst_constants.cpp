// The constants the interface reads: theme and language flags, links, the previewer.
#include "constants.h"
#include "isolated_env.h"
#include "settings/settings_helper.h"

#include <QFile>
#include <QProcess>
#include <QSettings>

class TestConstants : public QObject
{
    Q_OBJECT
private:
    CSettingsHelper *ini() { return CSettingsHelper::instance(); }
    QSettings peekoraSettings()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Marden", "Peekora");
    }

private slots:
    void themeFlagsFollowTheStoredTheme()
    {
        ini()->setIni(ini()->app_theme_color(), false);
        CConstants dark;
        QCOMPARE(dark.property("isDark").toBool(), true);
        QCOMPARE(dark.property("theme").toInt(), 1);
        ini()->setIni(ini()->app_theme_color(), true);
        CConstants light;
        QCOMPARE(light.property("isDark").toBool(), false);
        QCOMPARE(light.property("theme").toInt(), 0);
    }

    void chinaFlagNeedsTheExactCode()
    {
        ini()->setIni(ini()->app_i18n(), "zh_CN");
        CConstants china;
        ini()->setIni(ini()->app_i18n(), "zh_cn");
        CConstants lower;
        ini()->setIni(ini()->app_i18n(), "");
        QVERIFY(china.property("isChina").toBool());
        QVERIFY(!lower.property("isChina").toBool());
        QVERIFY(china.urlTwitter() != lower.urlTwitter());
        // Every link points at the project's own reserved domain.
        for (const char *name :
             {"url_report_bug", "url_home", "url_emial_addr", "url_twitter", "url_designer"}) {
            const QUrl url = lower.property(name).toUrl();
            QVERIFY2(url.isValid() && url.toString().contains("example.org"), name);
        }
    }

    void fixedValues()
    {
        CConstants c;
        QCOMPARE(c.property("isWin").toBool(), true);
        QCOMPARE(c.property("app_ver").toString(), QString("1.5.0"));
        QCOMPARE(c.property("title_height").toInt(), 52);
        QCOMPARE(c.property("sc_rm_model_data").toString(), QString("Ctrl+Shift+D"));
        QCOMPARE(c.property("color_accent_dark").value<QColor>(), QColor("#f85658"));
        // Offscreen there is no compositor, so no translucent margin is drawn.
        QCOMPARE(c.shadowLen(), 0);
    }

    void visibilityFlagsSignalOnlyChanges()
    {
        CConstants c;
        QSignalSpy qp(&c, &CConstants::qp_wnd_visibleChanged);
        QSignalSpy main(&c, &CConstants::main_wnd_visibleChanged);
        c.setProperty("qp_wnd_visible", false);
        QCOMPARE(qp.count(), 0);
        c.setProperty("qp_wnd_visible", true);
        c.setProperty("qp_wnd_visible", true);
        QCOMPARE(qp.count(), 1);
        c.setProperty("main_wnd_visible", true);
        QCOMPARE(main.count(), 1);
    }

    void previewerFromItsSettingsWhenTheFileExists()
    {
        const QString app = QDir::tempPath() + "/peekora-recorded";
        QVERIFY(QFile::copy("/bin/true", app));
        peekoraSettings().setValue("Others/app_path", app);
        QCOMPARE(CConstants::findPeekoraPath(), app);
        peekoraSettings().setValue("Others/app_path", app + ".gone");
        QCOMPARE(CConstants::findPeekoraPath(), QString());

        // Offered under the name of what was found; a file that cannot run is not offered.
        const QString viewer = QDir::tempPath() + "/Image Viewer.AppImage";
        QVERIFY(QFile::copy("/bin/true", viewer));
        peekoraSettings().setValue("Others/app_path", viewer);
        CConstants found;
        QCOMPARE(found.property("peekora_path").toString(), viewer);
        QCOMPARE(found.property("peekora_name").toString(), QString("Image Viewer"));
        QVERIFY(QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner));
        CConstants not_runnable;
        QCOMPARE(not_runnable.property("peekora_path").toString(), QString());
        QCOMPARE(not_runnable.property("peekora_name").toString(), QString());
    }

    void aRunningPreviewerWins()
    {
        const QString recorded = QDir::tempPath() + "/recorded/peekora";
        QDir().mkpath(QDir::tempPath() + "/recorded");
        QFile::copy("/bin/true", recorded);
        peekoraSettings().setValue("Others/app_path", recorded);
        const QString running = QDir::tempPath() + "/elsewhere/Peekora";
        QDir().mkpath(QDir::tempPath() + "/elsewhere");
        QVERIFY(QFile::copy("/bin/sleep", running));
        QProcess proc;
        proc.start(running, {"30"});
        QVERIFY(proc.waitForStarted());
        QCOMPARE(CConstants::findPeekoraPath(), running);
        proc.kill();
        proc.waitForFinished();
    }
};

TOLVANE_TEST_MAIN(TestConstants)
#include "tst_constants.moc"
