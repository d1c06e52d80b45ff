#include "datasync/mirror_history.h"

#include "datasync/datasync_logging.h"
#include "item/history_file.h"
#include "item/item_limits.h"

#include <QFile>

namespace MirrorHistory {

QString Preview(const QString &text)
{
    return text.size() > ItemLimits::kPreviewChars ? text.left(ItemLimits::kPreviewChars) : text;
}

Result Read(const QString &path, int max_rows)
{
    Result out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << path << file.errorString();
        return out;
    }
    HistoryFile::ReadResult res = HistoryFile::Read(file, qMax(1, max_rows));
    if (res.status != HistoryFile::ReadStatus::Ok)
        return out;
    out.read = true;
    int cut = 0;
    for (CBData &row : res.rows) {
        if (row.plain.size() > ItemLimits::kMaxTextLength) {
            row.plain = Preview(row.plain);
            ++cut;
        }
        if (row.val.userType() == QMetaType::QString &&
            row.val.toString().size() > ItemLimits::kMaxTextLength)
            row.val = Preview(row.val.toString());
    }
    if (cut > 0)
        qCDebug(lcDataSync) << path << cut << "texts over the limit cut to their beginning";
    out.rows = std::move(res.rows);
    return out;
}

} // namespace MirrorHistory
