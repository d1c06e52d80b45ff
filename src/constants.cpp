#include "constants.h"

#include "app_logging.h"
#include "os/os_abstract.h"
#include "os/packaged_app.h"
#include "os/process_services.h"
#include "settings/app_identity.h"
#include "settings/settings_helper.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString kSocialProfile = QStringLiteral("https://social.example.org/@tolvane");
const QString kSocialProfileChina = QStringLiteral("https://social-cn.example.org/tolvane");
constexpr int kShadowLen = 25;
} // namespace

CConstants *CConstants::instance()
{
    static CConstants *inst = ProcessServices::Adopt(new CConstants);
    return inst;
}

CConstants::CConstants(QObject *parent) : QObject(parent)
{
    CSettingsHelper *ini = CSettingsHelper::instance();
    m_isUWP = IsPackagedApp();
    m_isDark = !ini->getIni(ini->app_theme_color()).toBool();
    m_theme = m_isDark ? 1 : 0;
    m_isChina = ini->getIni(ini->app_i18n()).toString() == QLatin1String("zh_CN");
    m_appName = AppIdentity::kName;
    m_appVer = AppIdentity::kVersion;
    m_urlTwitter = QUrl(m_isChina ? kSocialProfileChina : kSocialProfile);
    // Without a compositor a translucent margin shows as a black frame, so drop it.
    m_shadowLen = OsInstance()->isCompositingManagerRunning() ? kShadowLen : 0;
    m_peekoraPath = findPeekoraPath();
    m_peekoraName = QFileInfo(m_peekoraPath).completeBaseName();
}

QString CConstants::findPeekoraPath()
{
    const QString running = OsInstance()->findRunningExecutable(QStringLiteral("peekora"));
    if (!running.isEmpty()) {
        qCDebug(lcApp) << "+++++++++++++++++++++++++++++++++++++" << running;
        return running;
    }
    QSettings peekora(QSettings::NativeFormat, QSettings::UserScope, AppIdentity::kOrganisation,
                      QStringLiteral("Peekora"));
    const QString recorded = peekora.value(QStringLiteral("Others/app_path")).toString();
    // A file that cannot be started is no previewer.
    const QFileInfo file(recorded);
    return !recorded.isEmpty() && file.isFile() && file.isExecutable() ? recorded : QString();
}

void CConstants::setMainWndVisible(bool v)
{
    if (v == m_mainWndVisible)
        return;
    m_mainWndVisible = v;
    emit main_wnd_visibleChanged();
}

void CConstants::setQpWndVisible(bool v)
{
    if (v == m_qpWndVisible)
        return;
    m_qpWndVisible = v;
    emit qp_wnd_visibleChanged();
}
