#pragma once

#include <QByteArray>
#include <QString>

// Where a captured image is written to disk: a PNG file named by the image's identity in the
// clipboard folder (StoragePaths::ImgPath), replaced whole so that no reader sees half of it.
namespace ImageStore {
// Empty when the file is written, else why not.
QString Write(const QString &md5, const QByteArray &png);
} // namespace ImageStore
