#include "os/wayland/offer_mime_data.h"

#include <QImage>

#include <algorithm>

namespace {
const QString kQtImage = QStringLiteral("application/x-qt-image");
const QString kImagePrefix = QStringLiteral("image/");
} // namespace

OfferMimeData::OfferMimeData(const QMimeData *offer) : m_offer(offer) {}

QStringList OfferMimeData::formats() const
{
    if (!m_offer)
        return {};
    QStringList list = m_offer->formats();
    const bool has_image = std::any_of(list.cbegin(), list.cend(),
                                       [](const QString &f) { return f.startsWith(kImagePrefix); });
    if (has_image && !list.contains(kQtImage))
        list.append(kQtImage);
    return list;
}

bool OfferMimeData::hasFormat(const QString &mime_type) const
{
    return formats().contains(mime_type);
}

QVariant OfferMimeData::retrieveData(const QString &mime_type, QVariant::Type type) const
{
    if (!m_offer)
        return QVariant();
    if (mime_type == kQtImage)
        return m_offer->imageData();
    if (type == QVariant::Image && mime_type.startsWith(kImagePrefix))
        return QImage::fromData(m_offer->data(mime_type));
    return m_offer->data(mime_type);
}
