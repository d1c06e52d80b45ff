#pragma once

#include <QMimeData>
#include <QPointer>

// Another program's clipboard offer as the rest of the program expects clipboard contents
// to look: an offer with an image format also lists the toolkit's image format
// ("application/x-qt-image"), as the toolkit's own clipboard does on X11 and Wayland. The
// data are read from the offer when asked for; an offer that has gone gives nothing.
class OfferMimeData : public QMimeData
{
    Q_OBJECT
public:
    explicit OfferMimeData(const QMimeData *offer);

    const QMimeData *offer() const { return m_offer.data(); }
    QStringList formats() const override;
    bool hasFormat(const QString &mime_type) const override;

protected:
    QVariant retrieveData(const QString &mime_type, QVariant::Type type) const override;

private:
    QPointer<const QMimeData> m_offer;
};
