#include "item/cbdata.h"

#include <QDataStream>

void RegisterUrlListMetaType()
{
    static const bool done = [] {
        qRegisterMetaType<QList<QUrl>>("QList<QUrl>");
        qRegisterMetaTypeStreamOperators<QList<QUrl>>("QList<QUrl>");
        return true;
    }();
    Q_UNUSED(done)
}
