#pragma once

#include "item/cbdata.h"

#include <QByteArray>
#include <QImage>

class QMimeData;

// Capture: clipboard contents to an item record. Images are encoded and stored as PNG.
CBData GetCBDataFromMime(const QMimeData *mime);
// Write-back: an item record to new clipboard contents (caller owns the result).
QMimeData *GetMimeFromCBData(const CBData &data);
// Identity: MD5 of the variant's Qt 5.6 data-stream form, 32 lower-case hex digits.
QString GetVariantMd5(const QVariant &v);

// Password managers mark copied secrets with this format; such contents are never kept.
bool IsSecretMime(const QMimeData *mime);

struct EncodedImage
{
    QString md5;    // equals GetVariantMd5(QVariant(image))
    QByteArray png; // empty for a null image
};
// Encodes the image as PNG once and derives the identity from the same bytes, exactly as
// the data stream would write the image inside a QVariant.
EncodedImage EncodeImage(const QImage &image);
