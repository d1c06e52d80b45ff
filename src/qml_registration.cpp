#include "qml_registration.h"

#include "clipboard/clipboard_list_model.h"
#include "clipboard/text_match_marker.h"
#include "item/qml_types.h"

#include <QQmlContext>
#include <QQuickItem>
#include <QtQml>

void RegisterQmlTypes()
{
    static const bool done = [] {
        qRegisterMetaType<CCilpboardListModel *>("CCilpboardListModel*");
        qRegisterMetaType<QQuickItem *>("QQuickItem*");
        qRegisterMetaType<QQmlContext *>("QQmlContext*");
        qmlRegisterType<CQmlTypes>("CTypes", 1, 0, "CTypes");
        qmlRegisterType<CTextMatchMarker>("CTypes", 1, 0, "TextMatchMarker");
        return true;
    }();
    Q_UNUSED(done)
}
