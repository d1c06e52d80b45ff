#include "item/image_store.h"

#include "item/file_replace.h"
#include "item/storage_paths.h"

#include <QIODevice>

namespace ImageStore {

QString Write(const QString &md5, const QByteArray &png)
{
    return FileReplace::Write(StoragePaths::ImgPath(md5),
                              [&png](QIODevice &d) { return d.write(png) == png.size(); });
}

} // namespace ImageStore
