// File and folder icons for the views ("image://img/"), on a real X session with the
// installed icon theme: the offscreen platform offers no system icon theme at all.
#include "clipboard/quick_image_provider.h"
#include "cmain.h"
#include "isolated_env.h"

#include <QDir>
#include <QFile>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {
QString IdOf(const QString &path)
{
    return QUrl::fromLocalFile(path).toString();
}

QString PlaceholderPath(const QString &suffix)
{
    return QStandardPaths::writableLocation(QStandardPaths::TempLocation) + "/tmp." + suffix;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
} // namespace

class TestImageProvider : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    QImage icon(const QString &path, const QSize &requested = QSize())
    {
        return CQuickImageProvider().requestImage(IdOf(path), nullptr, requested);
    }

private slots:
    void foldersTextFilesAndPdfsLookDifferent()
    {
        const QString folder = m_dir.filePath("photos");
        QVERIFY(QDir().mkpath(folder));
        const QString txt = m_dir.filePath("notes.txt");
        WriteFile(txt, "plain words\n");
        const QString pdf = m_dir.filePath("report.pdf");
        WriteFile(pdf, "%PDF-1.4\n");
        QVERIFY(QFile::remove(pdf));
        QVERIFY(!QFile::exists(PlaceholderPath("pdf")));

        const QImage folder_icon = icon(folder);
        const QImage txt_icon = icon(txt);
        const QImage pdf_icon = icon(pdf);
        for (const QImage &i : {folder_icon, txt_icon, pdf_icon}) {
            QVERIFY(!i.isNull());
            QCOMPARE(i.size(), QSize(32, 32));
        }
        QVERIFY(folder_icon != txt_icon);
        QVERIFY(folder_icon != pdf_icon);
        QVERIFY2(txt_icon != pdf_icon, "a PDF must not look like a text file");

        // The vanished file was drawn from an empty placeholder of its type, which stays.
        const QFileInfo placeholder(PlaceholderPath("pdf"));
        QVERIFY(placeholder.isFile());
        QCOMPARE(placeholder.size(), 0);
        // An existing PDF looks the same as the vanished one.
        const QString other_pdf = m_dir.filePath("invoice.pdf");
        WriteFile(other_pdf, "%PDF-1.4\n");
        QCOMPARE(icon(other_pdf), pdf_icon);
        // A second vanished PDF reuses the placeholder as it is.
        QCOMPARE(icon(m_dir.filePath("gone.pdf")), pdf_icon);
        QCOMPARE(QFileInfo(PlaceholderPath("pdf")).size(), 0);
    }

    void aWebAddressHasNoIcon()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not a local file"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no icon"));
        const QImage image = CQuickImageProvider().requestImage("https://example.org/report.pdf",
                                                                nullptr, QSize(32, 32));
        QVERIFY(image.isNull());
    }

    void requestedSizesScaleTheIcon()
    {
        const QString txt = m_dir.filePath("sized.txt");
        WriteFile(txt, "x");
        QCOMPARE(icon(txt).size(), QSize(32, 32));
        const QImage big = icon(txt, QSize(64, 64));
        QCOMPARE(big.size(), QSize(64, 64));
        // Scaled up, not padded: the picture covers about the same share of the square.
        const QImage back = big.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int opaque_small = 0, opaque_back = 0;
        const QImage small = icon(txt).convertToFormat(QImage::Format_ARGB32);
        const QImage back32 = back.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                opaque_small += qAlpha(small.pixel(x, y)) > 128;
                opaque_back += qAlpha(back32.pixel(x, y)) > 128;
            }
        QVERIFY2(qAbs(opaque_small - opaque_back) < 32 * 32 / 10,
                 qPrintable(QString("%1 vs %2").arg(opaque_small).arg(opaque_back)));
        // The aspect ratio is kept; a size with a zero side means no size.
        QCOMPARE(icon(txt, QSize(64, 48)).size(), QSize(48, 48));
        QCOMPARE(icon(txt, QSize(64, 0)).size(), QSize(32, 32));
    }

    void otherThreadsGetNothingButAWarning()
    {
        const QString txt = m_dir.filePath("thread.txt");
        WriteFile(txt, "x");
        CQuickImageProvider provider;
        QImage result(1, 1, QImage::Format_ARGB32);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("off the interface thread"));
        QThread *worker =
            QThread::create([&] { result = provider.requestImage(IdOf(txt), nullptr, QSize()); });
        worker->start();
        QVERIFY(worker->wait(5000));
        delete worker;
        QVERIFY(result.isNull());
    }

    // The way views ask: a QML Image in an engine set up by the controller, for a file whose
    // name needs escaping in a URL. Had the name been garbled on the way, the provider
    // would have drawn the icon from a placeholder of that extension.
    void aViewGetsTheIconThroughTheEngine()
    {
        const QString odd = m_dir.filePath("a b#1%.tolvaneodd");
        WriteFile(odd, "x");
        QQmlEngine engine;
        CMain controller;
        controller.SetupContext(engine.rootContext());
        QVERIFY(engine.imageProvider("img"));

        QQmlComponent component(&engine);
        component.setData("import QtQuick 2.12\n"
                          "Image { property string path; source: 'image://img/' + path;"
                          " sourceSize: Qt.size(32, 32) }",
                          QUrl());
        QScopedPointer<QObject> image(
            component.createWithInitialProperties({{"path", QUrl::fromLocalFile(odd).toString()}}));
        QVERIFY2(image, qPrintable(component.errorString()));
        QCOMPARE(image->property("status").toInt(), 1); // Image.Ready
        QCOMPARE(image->property("implicitWidth").toReal(), 32.0);
        QVERIFY(!QFile::exists(PlaceholderPath("tolvaneodd")));
    }
};

TOLVANE_TEST_MAIN(TestImageProvider)
#include "tst_image_provider.moc"
