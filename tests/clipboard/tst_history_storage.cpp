// The histories on disk through the clipboard manager: private files and folders, a file
// this version cannot read kept aside, saves soon after the last change, failed saves told
// once, and a clean-up that removes only what the program itself put there.
#include "capture_fixture.h"
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "file_size_limit.h"
#include "isolated_env.h"
#include "item/history_file.h"
#include "item/mime_convert.h"
#include "item/storage_paths.h"
#include "settings/settings_helper.h"
#include "test_items.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <sys/stat.h>

namespace {
constexpr QFileDevice::Permissions kGroupOrOther =
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool IsPrivate(const QString &path)
{
    return QFileInfo::exists(path) && (QFileInfo(path).permissions() & kGroupOrOther) == 0;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList StoredPlains()
{
    QFile f(StoragePaths::ClipboardHistoryFile());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return PlainTexts(HistoryFile::Read(f).rows);
}

QStringList AsideFiles(const QString &dir)
{
    return QDir(dir).entryList({"history.unread-*"}, QDir::Files);
}

const QString kKey = QString(32, QChar('c'));
} // namespace

class TestHistoryStorage : public CaptureFixture
{
    Q_OBJECT
private slots:
    // Files of an older version, created readable by everyone, before the program starts.
    void initTestCase()
    {
        ::umask(022);
        for (const QString &dir : {StoragePaths::ClipboardDir(), StoragePaths::PinDir()})
            QVERIFY(QDir().mkpath(dir));
        WriteFile(StoragePaths::ImgPath(kKey), "png bytes");
        WriteFile(StoragePaths::ClipboardHistoryFile(), FileOfTexts({"from an older version"}));
        QVERIFY(!IsPrivate(StoragePaths::ClipboardHistoryFile()));
        QVERIFY(!IsPrivate(StoragePaths::ClipboardDir()));
        m_clip = FakeClipboardWatcher::install();
        QVERIFY(m_clip);
        mgr(); // the manager starts
    }

    void existingFilesAndFoldersAreTightenedAtStart()
    {
        for (const QString &path :
             {StoragePaths::CacheDir(), StoragePaths::ClipboardDir(), StoragePaths::PinDir(),
              StoragePaths::ClipboardHistoryFile(), StoragePaths::ImgPath(kKey)})
            QVERIFY2(IsPrivate(path), qPrintable(path));
        const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
        QCOMPARE(QFileInfo(StoragePaths::ClipboardDir()).permissions() & owner, owner);
        mgr()->restoreFromFile();
        QCOMPARE(list()->getPlain(list()->rowCount() - 1), QString("from an older version"));
    }

    void newFilesArePrivate()
    {
        auto *m = new QMimeData;
        QImage img(30, 20, QImage::Format_RGB32);
        img.fill(Qt::cyan);
        m->setImageData(img);
        copy(m);
        QCOMPARE(list()->getType(0), int(CQmlTypes::Image));
        mgr()->save2File();
        QVERIFY(IsPrivate(StoragePaths::ImgPath(list()->getMd5(0))));
        QVERIFY(IsPrivate(StoragePaths::ClipboardHistoryFile()));
        QVERIFY(IsPrivate(StoragePaths::PinHistoryFile()));
    }

    // The clean-up removes images no item names and temporary files of interrupted saves;
    // whatever else lies in the folders is the user's.
    void cleanUpRemovesOnlyWhatTheProgramLeft()
    {
        const QString clip = StoragePaths::ClipboardDir();
        const QString pin = StoragePaths::PinDir();
        const QString unused = QString(32, QChar('d')) + ".png";
        const QStringList left{unused, QString(32, QChar('d')) + ".preview.png", "history.Ab12Cd",
                               QString(32, QChar('f')) + ".png.x9Y8z7",
                               QString(32, QChar('f')) + ".preview.png.Ab12Cd"};
        const QStringList users{"notes.txt",
                                "holiday.png",
                                "README",
                                "history.unread-20240101-1200",
                                QString(32, QChar('e')) + ".jpg",
                                QString(32, QChar('e')) + ".preview.jpg"};
        for (const QString &name : users + left)
            WriteFile(clip + name, "x");
        WriteFile(pin + "my pins.txt", "x");
        WriteFile(pin + "history.Zz09aB", "x");
        QVERIFY(QDir(clip).mkdir("kept folder"));
        copyText("keeps its history");

        mgr()->save2File();

        for (const QString &name : users)
            QVERIFY2(QFile::exists(clip + name), qPrintable(name));
        QVERIFY(QFileInfo(clip + "kept folder").isDir());
        QVERIFY(QFile::exists(pin + "my pins.txt"));
        for (const QString &name : left)
            QVERIFY2(!QFile::exists(clip + name), qPrintable(name));
        QVERIFY(!QFile::exists(pin + "history.Zz09aB"));
        QVERIFY(QFile::exists(StoragePaths::ClipboardHistoryFile()));
    }

    // A file this version cannot read is moved aside before anything is saved over it; a
    // file damaged part-way is read up to the damage, one with a damaged record without
    // that record, and either is copied aside whole: the next save would drop the rest.
    void unreadableHistoryIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("kept"); // what of the file the list holds
        QTest::addColumn<QString>("told");     // the warning about the damage
        const QByteArray good = FileOfTexts({"newest", "older"});
        QByteArray newer = good;
        newer[4] = 2; // format version 2
        QByteArray bad_head = good;
        bad_head[0] = 0;
        // Records follow the 9 bytes of the head, oldest first: kind (4 bytes), text
        // (4 + 2 × 5 bytes for "older"), key (4 bytes of length, then UTF-16).
        QByteArray bad_kind = good;
        bad_kind[9] = 0x7f;
        QByteArray bad_key = good;
        bad_key[9 + 4 + 14 + 4 + 1] = 'G';
        QTest::newRow("newer format") << newer << QStringList() << "data version: larger";
        QTest::newRow("damaged head, intact records") << bad_head << QStringList() << QString();
        QTest::newRow("damaged tail") << good + QByteArray("\x00\x00\x00\x04\x00\x00\x00\x30", 8)
                                      << QStringList{"newest", "older"} << "stopped early: true";
        QTest::newRow("damaged kind of a record")
            << bad_kind << QStringList{"newest"} << "records refused: 1";
        QTest::newRow("damaged key of a record")
            << bad_key << QStringList{"newest"} << "records refused: 1";
    }
    void unreadableHistoryIsKeptAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, kept);
        QFETCH(QString, told);
        const QString dir = StoragePaths::ClipboardDir();
        for (const QString &name : AsideFiles(dir))
            QFile::remove(dir + name);
        WriteFile(StoragePaths::ClipboardHistoryFile(), bytes);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept as .*history\\.unread-"));
        if (!told.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(told));
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        const QStringList aside = AsideFiles(dir);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(ReadFile(dir + aside.first()), bytes);
        QVERIFY(IsPrivate(dir + aside.first()));
        QStringList plains;
        for (int r = 0; r < list()->rowCount(); ++r)
            plains << list()->getPlain(r);
        for (const QString &text : {QString("newest"), QString("older")})
            QCOMPARE(plains.contains(text), kept.contains(text));
        mgr()->save2File(); // the next save neither touches nor cleans it away
        QCOMPARE(ReadFile(dir + aside.first()), bytes);
        for (const QString &name : AsideFiles(dir))
            QFile::remove(dir + name);

        // An empty file (an older version's failed save) holds nothing worth keeping.
        WriteFile(StoragePaths::ClipboardHistoryFile(), QByteArray());
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        QVERIFY(AsideFiles(dir).isEmpty());
    }

    // A history far longer than the list may be is read only up to the limit.
    void restoreKeepsTheNewestUpToTheLimit()
    {
        QStringList many;
        for (int i = 0; i < 500; ++i)
            many << QString("stored %1").arg(i);
        WriteFile(StoragePaths::ClipboardHistoryFile(), FileOfTexts(many));
        CSettingsHelper::instance()->setIni("stack_max_item_count", 20);
        auto back =
            qScopeGuard([] { CSettingsHelper::instance()->setIni("stack_max_item_count", 50); });
        copy(new QMimeData); // an empty clipboard
        mgr()->restoreFromFile();
        mgr()->finishPendingWork();
        // The list's own trimming on insertion may take one more row off the bottom.
        QVERIFY2(list()->rowCount() == 20 || list()->rowCount() == 19,
                 qPrintable(QString::number(list()->rowCount())));
        for (int r = 0; r < list()->rowCount(); ++r)
            QCOMPARE(list()->getPlain(r), QString("stored %1").arg(r));
    }

    // Besides every fifteenth change, a quiet moment after a change saves the list: a crash
    // costs at most those seconds, not fourteen copies.
    void aQuietMomentAfterAChangeSaves()
    {
        copyText("one copy, then quiet");
        QTRY_VERIFY_WITH_TIMEOUT(StoredPlains().value(0) == "one copy, then quiet", 15000);

        // A kept selection is state the file stores; changing it alone saves too.
        list()->updateSelection(list()->getMd5(0), "2_5_5");
        QTRY_VERIFY_WITH_TIMEOUT(ReadFile(StoragePaths::ClipboardHistoryFile())
                                     .contains(QByteArray("\0002\000_\0005\000_\0005", 10)),
                                 15000);
    }

    // A save that fails leaves the file as it was and tells the user, once per run of
    // failures.
    void failedSavesAreToldOnce()
    {
        copyText("safe on disk");
        mgr()->save2File();
        const QByteArray before = ReadFile(StoragePaths::ClipboardHistoryFile());
        QSignalSpy told(CQmlHelper::instance(), &CQmlHelper::sigShowTextViaTray);
        {
            FileSizeLimit full{0};
            QVERIFY(full.isSet());
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurData.*history"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurData.*history"));
            for (int i = 0; i < 2; ++i) {
                list()->prependItem(TextItem(QString("not saved %1").arg(i)));
                list()->saveCurData();
                mgr()->finishPendingWork();
            }
        }
        QCOMPARE(ReadFile(StoragePaths::ClipboardHistoryFile()), before);
        QCOMPARE(told.count(), 1);
        list()->saveCurData(); // room again: saved, and the next failure is told again
        mgr()->finishPendingWork();
        QVERIFY(StoredPlains().contains("not saved 1"));
        {
            FileSizeLimit full{0};
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("saveCurData.*history"));
            list()->saveCurData();
            mgr()->finishPendingWork();
        }
        QCOMPARE(told.count(), 2);
    }

private:
    // A history file of text items, texts[0] the newest.
    static QByteArray FileOfTexts(const QStringList &texts)
    {
        CCilpboardListModel m;
        m.setLocal(false);
        FillTextRows(m, texts);
        QTemporaryFile f;
        if (!f.open())
            return QByteArray();
        m.Save2FileHelper(f.fileName());
        return ReadFile(f.fileName());
    }
};

TOLVANE_TEST_MAIN(TestHistoryStorage)
#include "tst_history_storage.moc"
