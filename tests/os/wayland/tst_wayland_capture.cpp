// End to end on a Wayland compositor (a headless sway): the real program follows what
// other Wayland clients copy while none of its windows has the focus, gives each copy the
// identity it gets under X11, and keeps nothing that is marked secret.
#include "isolated_env.h"
#include "item/history_file.h"
#include "item/mime_convert.h"
#include "item/qml_types.h"
#include "sway_tree.h"
#include "tolvane_process.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QUuid>

#include <csignal>
#include <memory>
#include <vector>

namespace {
const QString kCaptured = QStringLiteral("captured");
const QString kSecretDropped = QStringLiteral("marked secret, not kept");

QImage MakePicture()
{
    QImage img(160, 100, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.fillRect(10, 10, 90, 60, QColor(30, 120, 200));
    p.setBrush(QColor(240, 180, 20, 200));
    p.drawEllipse(60, 30, 80, 60);
    return img;
}
} // namespace

class TestWaylandCapture : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void capturesOtherClientsWithoutFocus();

private:
    // A clipboard owner that stays in the foreground until another client takes over.
    bool startOwner(const QString &program, const QStringList &args, const QByteArray &input = {});
    bool copy(TolvaneProcess &app, const QStringList &args, const QByteArray &input, int expected);

    std::vector<std::unique_ptr<QProcess>> m_owners;
};

void TestWaylandCapture::cleanup()
{
    for (auto &p : m_owners) {
        p->kill();
        p->waitForFinished(3000);
    }
    m_owners.clear();
}

bool TestWaylandCapture::startOwner(const QString &program, const QStringList &args,
                                    const QByteArray &input)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(program, args);
    if (!p->waitForStarted(5000))
        return false;
    p->write(input);
    p->closeWriteChannel();
    m_owners.push_back(std::move(p));
    return true;
}

// wl-copy with these arguments; true once the program has captured `expected` items.
bool TestWaylandCapture::copy(TolvaneProcess &app, const QStringList &args, const QByteArray &input,
                              int expected)
{
    return startOwner(QStringLiteral("wl-copy"), QStringList{"--foreground"} + args, input) &&
           app.waitForCount(kCaptured, expected, 20000);
}

void TestWaylandCapture::capturesOtherClientsWithoutFocus()
{
    TolvaneEnvironment env(QStringLiteral("wayland"));
    QVERIFY(env.isValid());
    TolvaneProcess app(env);
    QVERIFY(app.start());
    // The first run puts the usage text on the clipboard, which the program then captures:
    // its own contents come back to it as it put them there.
    QVERIFY2(app.waitForCount(kCaptured, 1, 30000), qPrintable(app.log()));
    // Data control is there, so nothing warns about a clipboard seen only with the focus.
    QVERIFY2(!app.log().contains("zwlr_data_control_manager_v1"), qPrintable(app.log()));
    const QJsonObject focused = SwayTree::FocusedWindow();
    QVERIFY2(focused.isEmpty() ||
                 qint64(focused.value("pid").toDouble()) != app.process().processId(),
             "a Tolvane window has the focus");

    const QString text = QStringLiteral("plain text from a Wayland client ") +
                         QUuid::createUuid().toString(QUuid::WithoutBraces);
    QVERIFY2(copy(app, {}, text.toUtf8(), 2), qPrintable(app.log()));

    const QString html = QStringLiteral("<p>Tea <b>and</b> biscuits \u00e9t\u00e9</p>");
    QVERIFY2(copy(app, {"-t", "text/html"}, html.toUtf8(), 3), qPrintable(app.log()));

    const QString png_path = env.root() + "/tmp/picture.png";
    QVERIFY(MakePicture().save(png_path, "PNG"));
    const QByteArray png = ReadAll(png_path);
    QVERIFY2(copy(app, {"-t", "image/png"}, png, 4), qPrintable(app.log()));

    const QString file_path = env.root() + "/home/report 2024.txt";
    {
        QFile f(file_path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("contents");
    }
    const QUrl file_url = QUrl::fromLocalFile(file_path);
    QVERIFY2(copy(app, {"-t", "text/uri-list"}, file_url.toEncoded() + "\r\n", 5),
             qPrintable(app.log()));

    const QString secret = QStringLiteral("s3cr3t-") + QUuid::createUuid().toString(QUuid::Id128);
    QVERIFY(startOwner(qEnvironmentVariable("WAYLAND_CLIP_OWNER"),
                       {"text/plain=" + secret, "x-kde-passwordManagerHint=secret"}));
    QVERIFY2(QTest::qWaitFor([&] { return app.count(kSecretDropped) + app.count(kCaptured) > 5; },
                             20000),
             qPrintable(app.log()));

    QVERIFY(app.sendSignal(SIGTERM));
    QVERIFY2(app.waitForFinished(15000), qPrintable(app.log()));
    QCOMPARE(app.process().exitCode(), 0);
    QCOMPARE(app.count(kCaptured), 5);

    const QString clip_dir = env.cacheDir() + "/clipboard/";
    QFile history(clip_dir + "history");
    QVERIFY(history.open(QIODevice::ReadOnly));
    const HistoryFile::ReadResult res = HistoryFile::Read(history);
    QCOMPARE(int(res.status), int(HistoryFile::ReadStatus::Ok));
    const QVector<CBData> &rows = res.rows;
    QCOMPARE(rows.size(), 5);

    // The identities are those the capture rules give the same contents under X11.
    QCOMPARE(rows[0].type, int(CQmlTypes::Urls));
    QCOMPARE(rows[0].val.value<QList<QUrl>>(), QList<QUrl>{file_url});
    QCOMPARE(rows[0].plain, file_path);
    QCOMPARE(rows[0].md5, GetVariantMd5(QVariant::fromValue(QList<QUrl>{file_url})));

    const QString image_md5 = GetVariantMd5(QVariant(QImage::fromData(png, "PNG")));
    QCOMPARE(rows[1].type, int(CQmlTypes::Image));
    QCOMPARE(rows[1].md5, image_md5);
    QCOMPARE(QImage(clip_dir + image_md5 + ".png").convertToFormat(QImage::Format_ARGB32),
             MakePicture());

    QCOMPARE(rows[2].type, int(CQmlTypes::Html));
    QCOMPARE(rows[2].val.toString(), html);
    QCOMPARE(rows[2].md5, GetVariantMd5(QVariant(html)));

    QCOMPARE(rows[3].type, int(CQmlTypes::Text));
    QCOMPARE(rows[3].plain, text);
    QCOMPARE(rows[3].md5, GetVariantMd5(QVariant(text)));

    QVERIFY2(rows[4].plain.toString().startsWith(QStringLiteral("Usage:")),
             qPrintable(rows[4].plain.toString()));

    // A secret leaves no trace in anything the program wrote.
    QDirIterator it(env.root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        QVERIFY2(!ReadAll(it.next()).contains(secret.toUtf8()), qPrintable(it.filePath()));
}

TOLVANE_TEST_MAIN(TestWaylandCapture)
#include "tst_wayland_capture.moc"
