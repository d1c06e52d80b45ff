#include "bundled_fonts.h"
#include "app_logging.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QResource>

namespace BundledFonts {

namespace {

QByteArray FontBytes(const QString &path)
{
    const QResource resource(path);
    if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression)
        return QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                       int(resource.size()));
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

const QStringList &Paths()
{
    static const QStringList paths = {
        QStringLiteral(":/font/Roboto/Roboto-Regular.ttf"),
        QStringLiteral(":/font/Roboto/Roboto-Bold.ttf"),
        QStringLiteral(":/font/Roboto/Roboto-Light.ttf"),
        QStringLiteral(":/font/Roboto/Roboto-Black.ttf"),
        QStringLiteral(":/font/fontello/font/psfont.ttf"),
    };
    return paths;
}

void Register()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const QString &path : Paths()) {
        const int id = QFontDatabase::addApplicationFontFromData(FontBytes(path));
        if (id < 0)
            qCWarning(lcApp) << "font" << path << "could not be loaded";
        else
            qCDebug(lcApp) << "font" << path
                           << "families:" << QFontDatabase::applicationFontFamilies(id);
    }
}

} // namespace BundledFonts
