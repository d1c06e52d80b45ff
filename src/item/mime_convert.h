#pragma once

#include "item/cbdata.h"

#include <QByteArray>
#include <QImage>

class QMimeData;
struct ClipboardOffer;

// Capture: clipboard contents to an item record. Images are encoded as PNG and written by
// the image store.
// Contents that are not kept (secret, unknown, too large, an image that could not be
// stored) give a record with an empty `plain`.
CBData GetCBDataFromMime(const QMimeData *mime);
// The part of the capture that does not touch the clipboard and may run on any thread:
// decoding (within the size limit), encoding and storing an image, hashing, looking paths
// up. store_error, if given, receives why an image could not be stored.
CBData ItemFromOffer(const ClipboardOffer &offer, QString *store_error = nullptr);
// Write-back: an item record to new clipboard contents (caller owns the result).
QMimeData *GetMimeFromCBData(const CBData &data);
// Identity: MD5 of the variant's Qt 5.6 data-stream form, 32 lower-case hex digits.
QString GetVariantMd5(const QVariant &v);

struct EncodedImage
{
    QString md5;    // equals GetVariantMd5(QVariant(image))
    QByteArray png; // empty for a null image
};
// Encodes the image as PNG once and derives the identity from the same bytes, exactly as
// the data stream would write the image inside a QVariant.
EncodedImage EncodeImage(const QImage &image);
