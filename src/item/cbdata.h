#pragma once

#include "item/item_text.h"
#include "item/qml_types.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QVariant>

// One clipboard item as a plain value record; field names match the model's role names.
struct CBData
{
    int type = CQmlTypes::Unknown;
    QVariant val;
    ItemText plain;
    QString selected;
    int fav_num = -1;
    int filter_index = -1;
    QString md5;
    bool pin_status = false;
    bool is_visible = true;
    bool is_visible_qp = true;
};

Q_DECLARE_METATYPE(CBData)

// Registers "QList<QUrl>" with its stream operators so URL lists can live in a QVariant,
// be hashed and be written to history files, and lets a QVariant holding an ItemText
// answer toString(). Safe to call more than once.
void RegisterItemMetaTypes();

// A text's value is its plain text: one copy serves both, held compact when the plain text
// is. Call once the item's key is taken, which hashes the value as a QString.
void ShareTextValue(CBData &item);
