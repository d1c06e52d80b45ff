#include "bundled_fonts.h"
#include "app_logging.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QResource>
#include <QStringList>

namespace BundledFonts {

namespace {

const char *const kFonts[] = {
    ":/font/Roboto/Roboto-Regular.ttf", ":/font/Roboto/Roboto-Bold.ttf",
    ":/font/Roboto/Roboto-Light.ttf",   ":/font/Roboto/Roboto-Black.ttf",
    ":/font/fontello/font/psfont.ttf",
};

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

void Register()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    for (const char *path : kFonts) {
        const int id =
            QFontDatabase::addApplicationFontFromData(FontBytes(QString::fromLatin1(path)));
        if (id < 0)
            qCWarning(lcApp) << "font" << path << "could not be loaded";
        else
            qCDebug(lcApp) << "font" << path
                           << "families:" << QFontDatabase::applicationFontFamilies(id);
    }
}

} // namespace BundledFonts
