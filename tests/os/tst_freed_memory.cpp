// Memory the program frees goes back to the system when asked: measured as the process's
// anonymous memory, with a small block still in use after the freed ones so that the heap
// cannot simply shrink from its end.
#include "os/freed_memory.h"

#include <QFile>
#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

namespace {
constexpr int kPieceBytes = 1024;
constexpr qint64 kFreedBytes = 48ll * 1024 * 1024;
constexpr qint64 kMiB = 1024 * 1024;

qint64 AnonymousBytes()
{
    QFile f(QStringLiteral("/proc/self/smaps_rollup"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("Anonymous:"))
            return line.mid(10).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// What a capture leaves: many pieces, a block allocated after them and kept, the pieces
// freed. Returns the block kept.
std::unique_ptr<char[]> LeaveFreedPieces()
{
    std::vector<std::unique_ptr<char[]>> pieces;
    for (qint64 n = 0; n < kFreedBytes / kPieceBytes; ++n) {
        pieces.emplace_back(new char[kPieceBytes]);
        memset(pieces.back().get(), int(n), kPieceBytes);
    }
    std::unique_ptr<char[]> kept(new char[kPieceBytes]);
    memset(kept.get(), 1, kPieceBytes);
    return kept;
}
} // namespace

class TestFreedMemory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { FreedMemory::KeepLargeBlocksApart(); }

    void freedPiecesGoBack_data()
    {
        QTest::addColumn<bool>("onWorker");
        QTest::newRow("interface thread") << false;
        QTest::newRow("worker thread") << true;
    }
    void freedPiecesGoBack()
    {
        QFETCH(bool, onWorker);
        const qint64 before = AnonymousBytes();
        QVERIFY(before > 0);
        std::unique_ptr<char[]> kept;
        if (onWorker) {
            std::unique_ptr<QThread> worker(
                QThread::create([&kept] { kept = LeaveFreedPieces(); }));
            worker->start();
            QVERIFY(worker->wait(60000));
        } else {
            kept = LeaveFreedPieces();
        }
        FreedMemory::ReturnToSystem();
        const qint64 after = AnonymousBytes();
        QVERIFY2(after - before < 8 * kMiB,
                 qPrintable(QStringLiteral("%1 MiB more than before, of %2 MiB freed")
                                .arg((after - before) / kMiB)
                                .arg(kFreedBytes / kMiB)));
    }

    // A block the size of a screenshot's pixels is mapped on its own and gone once freed.
    void largeBlockGoesBackAtOnce()
    {
        const qint64 before = AnonymousBytes();
        {
            const QByteArray pixels(int(32 * kMiB), char(0x7f));
            QVERIFY(AnonymousBytes() - before >= 30 * kMiB);
        }
        QVERIFY(AnonymousBytes() - before < 2 * kMiB);
    }
};

QTEST_GUILESS_MAIN(TestFreedMemory)
#include "tst_freed_memory.moc"
