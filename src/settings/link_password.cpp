#include "settings/link_password.h"

#include "settings/settings_helper.h"
#include "settings/settings_logging.h"

#include <QRandomGenerator>

namespace LinkPassword {

QString Generate()
{
    // 56 characters: about 70 bits in 12 of them.
    static const QString kAlphabet =
        QStringLiteral("abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString out;
    out.reserve(kLength);
    QRandomGenerator *rng = QRandomGenerator::system();
    for (int i = 0; i < kLength; ++i)
        out += kAlphabet.at(int(rng->bounded(quint32(kAlphabet.size()))));
    return out;
}

bool EnsureSet(CSettingsHelper *ini)
{
    if (!ini->getIni(ini->connect_local_pwd()).toString().isEmpty() ||
        ini->getIni(ini->connect_local_pwd_open()).toBool())
        return false;
    ini->setIni(ini->connect_local_pwd(), Generate());
    ini->sync();
    qCInfo(lcSettings) << "no link password was set; a random one was stored";
    return true;
}

} // namespace LinkPassword
