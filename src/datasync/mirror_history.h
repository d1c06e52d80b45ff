#pragma once

#include "item/cbdata.h"

#include <QString>
#include <QVector>

// A linked host's history as its mirror list keeps it, under the caps of local capture: the
// newest records up to the user's item limit, and a text over the item text limit cut to
// its beginning. Reading runs on a worker thread, so it copies everything it uses.
namespace MirrorHistory {

struct Result
{
    bool read = false; // the file is a history file
    QVector<CBData> rows;
};

Result Read(const QString &path, int max_rows);

} // namespace MirrorHistory
