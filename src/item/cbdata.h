#pragma once

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
    QString plain;
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
// be hashed and be written to history files. Safe to call more than once.
void RegisterUrlListMetaType();
