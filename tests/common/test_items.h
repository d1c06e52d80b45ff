#pragma once

#include "clipboard/clipboard_list_model.h"
#include "item/cbdata.h"
#include "item/mime_convert.h"

// Item records as the capture would make them, for tests that fill models directly.
inline CBData TextItem(const QString &plain, int type = CQmlTypes::Text)
{
    CBData d;
    d.type = type;
    d.plain = plain;
    d.val = plain;
    d.md5 = GetVariantMd5(d.val);
    ShareTextValue(d); // a long Latin-1 text held compact, as captured
    return d;
}

inline CBData FileListItem(const QList<QUrl> &urls)
{
    RegisterItemMetaTypes();
    CBData d;
    d.type = CQmlTypes::Urls;
    d.val = QVariant::fromValue(urls);
    d.plain = urls.isEmpty() ? QString() : urls.first().toLocalFile();
    d.md5 = GetVariantMd5(d.val);
    return d;
}

// An image item; its picture is the stored image of this key.
inline CBData ImageItem(const QString &md5)
{
    CBData d;
    d.type = CQmlTypes::Image;
    d.plain = QStringLiteral("Image");
    d.val = md5;
    d.md5 = md5;
    return d;
}

// Puts text rows into a model so that rows[0] ends up as row 0.
inline void FillTextRows(CCilpboardListModel &model, const QStringList &rows)
{
    for (int i = rows.size() - 1; i >= 0; --i)
        model.prependItem(TextItem(rows.at(i)));
}

// The plain texts of rows in display order, row 0 first.
inline QStringList PlainTexts(const QVector<CBData> &rows)
{
    QStringList out;
    for (const CBData &d : rows)
        out << d.plain.toString();
    return out;
}
