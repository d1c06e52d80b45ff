#pragma once

#include "item/cbdata.h"

#include <QVector>

class QIODevice;

// The history file: a Qt 5.6 data stream of magic, format version, record count and the
// records from the oldest item to the newest. Linked hosts send files of this format, so
// the reader treats its input as untrusted.
namespace HistoryFile {

constexpr quint32 kMagic = 0xA4B3C2D1u;
constexpr qint8 kVersion = 1;

enum class ReadStatus
{
    Ok,
    BadMagic,
    VersionTooNew
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Ok;
    quint32 magic = 0;      // the value read, for the log
    int version = -1;       // 0 (oldest layout) or 1 when readable
    QVector<CBData> rows;   // display order: index 0 is the newest item
    int dropped = 0;        // records refused (empty text, bad key, foreign value type)
    bool truncated = false; // reading stopped at corrupt or missing bytes
};

// rows are in display order (row 0 newest); they are written oldest first. False when the
// device did not take every byte.
bool Write(QIODevice &dev, const QVector<CBData> &rows);
// Replaces the file at path with rows, or leaves it as it was (see FileReplace). Returns an
// empty string on success, else what went wrong.
QString Save(const QString &path, const QVector<CBData> &rows);
// The device must be open and seekable (a file or a buffer). With max_rows above 0 only the
// newest max_rows records are kept: a file far longer than the list may be is never held
// whole. A file-list record of more than ItemLimits::kMaxUrls files is refused. With
// max_text_chars above 0, a text longer than that is read as its first
// ItemLimits::kPreviewChars characters, and the rest is skipped without being held.
ReadResult Read(QIODevice &dev, int max_rows = 0, int max_text_chars = 0);

} // namespace HistoryFile
