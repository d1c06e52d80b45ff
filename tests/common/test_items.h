#pragma once

#include "clipboard/cbdata.h"
#include "clipboard/mime_convert.h"

// Item records as the capture would make them, for tests that fill models directly.
inline CBData TextItem(const QString &plain, int type = CQmlTypes::Text)
{
    CBData d;
    d.type = type;
    d.plain = plain;
    d.val = plain;
    d.md5 = GetVariantMd5(d.val);
    return d;
}

inline CBData FileListItem(const QList<QUrl> &urls)
{
    RegisterUrlListMetaType();
    CBData d;
    d.type = CQmlTypes::Urls;
    d.val = QVariant::fromValue(urls);
    d.plain = urls.isEmpty() ? QString() : urls.first().toLocalFile();
    d.md5 = GetVariantMd5(d.val);
    return d;
}
