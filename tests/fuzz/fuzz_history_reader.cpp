// libFuzzer target for the history file reader: linked hosts send files of this format, so
// any byte string must read without a crash, undefined behaviour or unbounded allocation.
// Whatever the reader accepts must also survive a write and a second read unchanged, and a
// reading that keeps only the newest records must give exactly those.
#include "item/history_file.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdlib>

namespace {
void Silence(QtMsgType, const QMessageLogContext &, const QString &) {}

QByteArray Written(const QVector<CBData> &rows)
{
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    HistoryFile::Write(buf, rows);
    return out;
}

HistoryFile::ReadResult ReadBytes(const QByteArray &bytes, int max_rows = 0)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return HistoryFile::Read(buf, max_rows);
}

constexpr int kFewRows = 2;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The reader's log lines would only slow the run down.
    qInstallMessageHandler(Silence);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    const HistoryFile::ReadResult first = ReadBytes(input);
    if (first.status != HistoryFile::ReadStatus::Ok)
        return 0;
    const HistoryFile::ReadResult newest = ReadBytes(input, kFewRows);
    if (Written(newest.rows) != Written(first.rows.mid(0, kFewRows)))
        std::abort();
    // Every accepted record must be written in a form the reader takes back whole, and the
    // second generation must be byte for byte the first.
    const QByteArray once = Written(first.rows);
    const HistoryFile::ReadResult second = ReadBytes(once);
    if (second.status != HistoryFile::ReadStatus::Ok || second.truncated || second.dropped != 0 ||
        second.rows.size() != first.rows.size() || Written(second.rows) != once)
        std::abort();
    return 0;
}
