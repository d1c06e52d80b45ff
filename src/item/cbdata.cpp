#include "item/cbdata.h"

#include <QDataStream>

void RegisterItemMetaTypes()
{
    static const bool done = [] {
        qRegisterMetaType<QList<QUrl>>("QList<QUrl>");
        qRegisterMetaTypeStreamOperators<QList<QUrl>>("QList<QUrl>");
        qRegisterMetaType<ItemText>();
        return QMetaType::registerConverter<ItemText, QString>(&ItemText::toString);
    }();
    Q_UNUSED(done)
}

void ShareTextValue(CBData &item)
{
    if (item.val.userType() != QMetaType::QString || item.plain != item.val.toString())
        return;
    if (item.plain.isCompact()) {
        RegisterItemMetaTypes(); // readers of the value call toString()
        item.val = QVariant::fromValue(item.plain);
    } else {
        item.val = item.plain.toString();
    }
}
