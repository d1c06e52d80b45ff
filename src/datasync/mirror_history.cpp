#include "datasync/mirror_history.h"

#include "datasync/datasync_logging.h"
#include "item/history_file.h"
#include "item/item_limits.h"

#include <QFile>

namespace MirrorHistory {

Result Read(const QString &path, int max_rows)
{
    Result out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcDataSync) << Q_FUNC_INFO << path << file.errorString();
        return out;
    }
    HistoryFile::ReadResult res =
        HistoryFile::Read(file, qMax(1, max_rows), ItemLimits::kMaxTextLength);
    if (res.status != HistoryFile::ReadStatus::Ok)
        return out;
    out.read = true;
    out.rows = std::move(res.rows);
    return out;
}

} // namespace MirrorHistory
