#include "translation/translation_ini.h"

#include "settings/settings_helper.h"
#include "translation/translation_logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTranslator>

namespace Translation_Ini {

namespace {
const QString kSuffix = QStringLiteral(".qm");
const QString kQmDir = QStringLiteral("://qm/");
} // namespace

QString CurrentLanguage()
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    QString code = ini->getIni(ini->app_i18n()).toString().trimmed();
    if (!code.isEmpty()) {
        if (code.endsWith(kSuffix))
            code.chop(kSuffix.size());
        return code;
    }
    const QString name = QLocale::system().name();
    return QFile::exists(kQmDir + name + kSuffix) ? name : QStringLiteral("en");
}

void SetLanguage(QString code)
{
    if (code.endsWith(kSuffix))
        code.chop(kSuffix.size());
    CSettingsHelper *ini = CSettingsHelper::instance();
    ini->setIni(ini->app_i18n(), code);
}

bool LoadTr(const QString &path, QTranslator *translator)
{
    const bool ok = translator->load(path);
    if (!ok)
        qCWarning(lcTranslation) << Q_FUNC_INFO << __LINE__ << "load translator failed." << path;
    return ok;
}

bool UpdateTranslation()
{
    const QString code = CurrentLanguage();
    if (code.isEmpty() || code == QLatin1String("en"))
        return true;
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!LoadTr(kQmDir + code + kSuffix, translator)) {
        SetLanguage(QString()); // the next start follows the system again
        translator->deleteLater();
        return false;
    }
    SetLanguage(code);
    if (!QCoreApplication::installTranslator(translator)) {
        translator->deleteLater();
        qCWarning(lcTranslation) << Q_FUNC_INFO << __LINE__;
        return false;
    }
    return true;
}

} // namespace Translation_Ini
