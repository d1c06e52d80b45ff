// End to end: the real program captures what other X clients copy, keeps a single
// instance per user, and leaves a history file and stored images that read back as copied.
#include "isolated_env.h"
#include "item/history_file.h"
#include "item/qml_types.h"
#include "tolvane_process.h"

#include <QBuffer>
#include <QClipboard>
#include <QColor>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QUuid>

#include <csignal>

namespace {
const QString kCaptured = QStringLiteral("captured");
const QString kSecretDropped = QStringLiteral("marked secret, not kept");
const QString kSettingsOpened = QStringLiteral("settings file");

QByteArray Utf16Be(const QString &s)
{
    QByteArray out;
    for (const QChar c : s)
        out.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    return out;
}

// Gradients with noise on top: a picture whose PNG encoding is not trivial.
QImage MakePicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, w, h);
    g.setColorAt(0, QColor(20, 40, 160));
    g.setColorAt(1, QColor(230, 190, 30));
    p.fillRect(img.rect(), g);
    p.end();
    QRandomGenerator rng(42);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; x += 3)
            line[x] ^= rng.bounded(0x202020u);
    }
    return img;
}
} // namespace

class TestSystemCapture : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void capturesOtherClientsAndSavesAtTerm();
    void killedInstanceFreesTheLock();

private:
    QProcess *startXclip(const QString &target, const QByteArray &bytes);
    QProcess *startClipOwner(const QStringList &args);
    QString copyImageAndHashFromClipboard(TolvaneProcess &app, const QString &png_path,
                                          QByteArray &stream_form);

    ChildProcesses m_owners;
};

void TestSystemCapture::cleanup()
{
    m_owners.endAll();
}

// xclip in the foreground: it owns the clipboard until another client takes it.
QProcess *TestSystemCapture::startXclip(const QString &target, const QByteArray &bytes)
{
    QProcess *p = m_owners.start(QStringLiteral("xclip"),
                                 {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                  QStringLiteral("clipboard"), QStringLiteral("-t"), target});
    if (!p)
        return nullptr;
    p->write(bytes);
    p->closeWriteChannel();
    return p;
}

QProcess *TestSystemCapture::startClipOwner(const QStringList &args)
{
    return m_owners.startOwner(QStringLiteral(TOLVANE_CLIP_OWNER), args);
}

// Copies the PNG with xclip, waits for the program to take it, and derives the identity the
// program must have given it: the MD5 of QVariant(image) in a Qt 5.6 data stream, with the
// image as this process reads it from the same clipboard.
QString TestSystemCapture::copyImageAndHashFromClipboard(TolvaneProcess &app,
                                                         const QString &png_path,
                                                         QByteArray &stream_form)
{
    const int before = app.count(kCaptured);
    if (!startXclip(QStringLiteral("image/png"), ReadAll(png_path)) ||
        !app.waitForCount(kCaptured, before + 1))
        return QString();
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasImage())
        return QString();
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    stream_form.clear();
    QDataStream s(&stream_form, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_5_6);
    s << QVariant(image);
    return QString::fromLatin1(
        QCryptographicHash::hash(stream_form, QCryptographicHash::Md5).toHex());
}

void TestSystemCapture::capturesOtherClientsAndSavesAtTerm()
{
    TolvaneEnvironment env;
    QVERIFY(env.isValid());
    TolvaneProcess app(env);
    QVERIFY(app.start());
    // The first run puts the usage text on the clipboard, which the program then captures.
    QVERIFY2(app.waitForCount(kCaptured, 1, 20000), qPrintable(app.log()));

    const QString text = QStringLiteral("plain text from another client ") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces);
    QVERIFY(startXclip(QStringLiteral("UTF8_STRING"), text.toUtf8()));
    QVERIFY2(app.waitForCount(kCaptured, 2), qPrintable(app.log()));

    const QString html = QStringLiteral("<p>Tea <b>and</b> <i>biscuits</i> \u00e9t\u00e9</p>");
    const QString html_plain = QStringLiteral("Tea and biscuits \u00e9t\u00e9");
    QVERIFY(
        startClipOwner({"--format", "text/html=" + html, "--format", "text/plain=" + html_plain}));
    QVERIFY2(app.waitForCount(kCaptured, 3), qPrintable(app.log()));

    // A second start with the same user environment leaves at once and quietly.
    {
        TolvaneProcess second(env);
        QVERIFY(second.start());
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process().exitCode(), 0);
        QVERIFY2(second.count(kSettingsOpened) == 0, qPrintable(second.log()));
        QCOMPARE(app.process().state(), QProcess::Running);
    }

    const QImage picture = MakePicture(320, 200);
    const QString png_path = env.root() + "/tmp/picture.png";
    QVERIFY(picture.save(png_path, "PNG"));
    QByteArray stream_form;
    const QString image_md5 = copyImageAndHashFromClipboard(app, png_path, stream_form);
    QVERIFY2(!image_md5.isEmpty(), qPrintable(app.log()));

    const QString file_path = env.root() + "/home/report 2024.txt";
    {
        QFile f(file_path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("contents");
    }
    const QUrl file_url = QUrl::fromLocalFile(file_path);
    QVERIFY(startXclip(QStringLiteral("text/uri-list"), file_url.toEncoded() + "\r\n"));
    QVERIFY2(app.waitForCount(kCaptured, 5), qPrintable(app.log()));

    QVERIFY(startXclip(QStringLiteral("UTF8_STRING"), "#abc"));
    QVERIFY2(app.waitForCount(kCaptured, 6), qPrintable(app.log()));

    const QString secret = QStringLiteral("s3cr3t-") + QUuid::createUuid().toString(QUuid::Id128);
    QVERIFY(startClipOwner(
        {"--format", "text/plain=" + secret, "--format", "x-kde-passwordManagerHint=secret"}));
    // Whether it was refused or (wrongly) kept, the history below tells.
    QVERIFY2(QTest::qWaitFor([&] { return app.count(kSecretDropped) + app.count(kCaptured) > 6; },
                             10000),
             qPrintable(app.log()));

    QVERIFY(app.sendSignal(SIGTERM));
    QVERIFY2(app.waitForFinished(15000), qPrintable(app.log()));
    QCOMPARE(app.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.process().exitCode(), 0);
    QCOMPARE(app.count(kCaptured), 6);

    const QString clip_dir = env.cacheDir() + "/clipboard/";
    QFile history(clip_dir + "history");
    QVERIFY(history.open(QIODevice::ReadOnly));
    const QByteArray raw = history.readAll();
    QBuffer buf;
    buf.setData(raw);
    buf.open(QIODevice::ReadOnly);
    const HistoryFile::ReadResult res = HistoryFile::Read(buf);
    QCOMPARE(int(res.status), int(HistoryFile::ReadStatus::Ok));
    QCOMPARE(res.version, 1);
    QVERIFY(!res.truncated);
    QCOMPARE(res.dropped, 0);
    const QVector<CBData> &rows = res.rows;
    QCOMPARE(rows.size(), 6);

    QCOMPARE(rows[0].type, int(CQmlTypes::Color));
    QCOMPARE(rows[0].val.userType(), int(QMetaType::QColor));
    QCOMPARE(rows[0].val.value<QColor>(), QColor(0xaa, 0xbb, 0xcc));
    QCOMPARE(rows[0].plain, QStringLiteral("#abc"));

    QCOMPARE(rows[1].type, int(CQmlTypes::Urls));
    QCOMPARE(rows[1].val.value<QList<QUrl>>(), QList<QUrl>{file_url});
    QCOMPARE(rows[1].plain, file_path);

    QCOMPARE(rows[2].type, int(CQmlTypes::Image));
    QCOMPARE(rows[2].plain, QStringLiteral("Image"));
    QCOMPARE(rows[2].md5, image_md5);
    QCOMPARE(rows[2].val.toString(), image_md5);

    QCOMPARE(rows[3].type, int(CQmlTypes::Html));
    QCOMPARE(rows[3].val.toString(), html);
    QCOMPARE(rows[3].plain, html_plain);

    QCOMPARE(rows[4].type, int(CQmlTypes::Text));
    QCOMPARE(rows[4].val.toString(), text);
    QCOMPARE(rows[4].plain, text);

    QCOMPARE(rows[5].type, int(CQmlTypes::Html));
    QVERIFY2(rows[5].plain.toString().startsWith(QStringLiteral("Usage:")),
             qPrintable(rows[5].plain.toString()));

    // The stored image is exactly the PNG inside the hashed stream form, and shows the
    // pixels that were copied.
    const QString png_stored = clip_dir + image_md5 + ".png";
    const QByteArray stored = ReadAll(png_stored);
    QVERIFY(!stored.isEmpty());
    QVERIFY(stream_form.endsWith(stored));
    QCOMPARE(QImage::fromData(stored, "PNG").convertToFormat(QImage::Format_ARGB32),
             picture.convertToFormat(QImage::Format_ARGB32));
    QCOMPARE(QDir(clip_dir).entryList(QDir::Files, QDir::Name),
             QStringList({image_md5 + ".png", "history"}));

    // A secret leaves no trace in anything the program wrote.
    QDirIterator it(env.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int files_seen = 0;
    while (it.hasNext()) {
        const QByteArray bytes = ReadAll(it.next());
        ++files_seen;
        QVERIFY2(!bytes.contains(secret.toUtf8()) && !bytes.contains(Utf16Be(secret)),
                 qPrintable(it.filePath()));
    }
    QVERIFY(files_seen >= 3);
    QVERIFY(raw.contains(Utf16Be(text)));
}

void TestSystemCapture::killedInstanceFreesTheLock()
{
    TolvaneEnvironment env;
    QVERIFY(env.isValid());
    {
        TolvaneProcess first(env);
        QVERIFY(first.start());
        QVERIFY2(first.waitForCount(kCaptured, 1, 20000), qPrintable(first.log()));
        // Once the version is on disk the next start is no first run (no usage text).
        QVERIFY(QTest::qWaitFor([&] { return ReadAll(env.settingsFile()).contains("app_version"); },
                                10000));
        first.process().kill();
        QVERIFY(first.waitForFinished());
        QCOMPARE(first.process().exitStatus(), QProcess::CrashExit);
    }

    const QString text = QStringLiteral("copied while nothing ran");
    QVERIFY(startXclip(QStringLiteral("UTF8_STRING"), text.toUtf8()));
    TolvaneProcess again(env);
    QVERIFY(again.start());
    // Reading the histories ends with capturing what is on the clipboard now.
    QVERIFY2(again.waitForCount(kCaptured, 1, 20000), qPrintable(again.log()));
    QVERIFY(again.sendSignal(SIGTERM));
    QVERIFY(again.waitForFinished(15000));
    QCOMPARE(again.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(again.process().exitCode(), 0);

    QFile history(env.cacheDir() + "/clipboard/history");
    QVERIFY(history.open(QIODevice::ReadOnly));
    const HistoryFile::ReadResult res = HistoryFile::Read(history);
    QCOMPARE(int(res.status), int(HistoryFile::ReadStatus::Ok));
    // The new capture is on top; below it only what the killed run saved a few seconds after
    // its last change, if it lived that long: its usage text.
    QVERIFY(res.rows.size() == 1 || res.rows.size() == 2);
    QCOMPARE(res.rows[0].plain, text);
    if (res.rows.size() == 2)
        QVERIFY(res.rows[1].plain.toString().startsWith(QStringLiteral("Usage:")));
}

TOLVANE_TEST_MAIN(TestSystemCapture)
#include "tst_system_capture.moc"
