// Choosing the interface language at start-up.
#include "isolated_env.h"
#include "settings/settings_helper.h"
#include "translation/translation_ini.h"

#include <QLocale>

class TestTranslation : public QObject
{
    Q_OBJECT
private:
    CSettingsHelper *ini() { return CSettingsHelper::instance(); }
    QString stored() { return ini()->getIni(ini()->app_i18n()).toString(); }

private slots:
    void storedCodesLoseTheirSuffix()
    {
        ini()->setIni(ini()->app_i18n(), " zh_CN.qm ");
        QCOMPARE(Translation_Ini::CurrentLanguage(), QString("zh_CN"));
        Translation_Ini::SetLanguage("zh_CN.qm");
        QCOMPARE(stored(), QString("zh_CN"));
        Translation_Ini::SetLanguage("zh_CN.QM"); // only the exact suffix goes
        QCOMPARE(stored(), QString("zh_CN.QM"));
    }

    void englishLoadsNothing()
    {
        ini()->setIni(ini()->app_i18n(), "en");
        QVERIFY(Translation_Ini::UpdateTranslation());
        QCOMPARE(stored(), QString("en"));
    }

    void aSystemLanguageWithoutCatalogueIsEnglish()
    {
        QVERIFY(QLocale::system().name() != "zh_CN"); // the only catalogue there will be
        ini()->setIni(ini()->app_i18n(), "");
        QCOMPARE(Translation_Ini::CurrentLanguage(), QString("en"));
        QVERIFY(Translation_Ini::UpdateTranslation());
        QCOMPARE(stored(), QString()); // still follows the system next time
    }

    void aMissingCatalogueFallsBackAndForgetsTheChoice()
    {
        ini()->setIni(ini()->app_i18n(), "de");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("load translator failed.*de.qm"));
        QVERIFY(!Translation_Ini::UpdateTranslation());
        QCOMPARE(stored(), QString());
    }
};

TOLVANE_TEST_MAIN(TestTranslation)
#include "tst_translation.moc"
