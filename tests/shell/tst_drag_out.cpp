// Items dragged out of the main window's list into a window of another process, with real
// pointer events through the X server (xdotool) and the toolkit's XDND on both sides.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "free_port.h"
#include "item/storage_paths.h"
#include "settings/settings_helper.h"
#include "test_items.h"
#include "ui_driver.h"
#include "ui_test_main.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMimeData>
#include <QProcess>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace UiDriver;

namespace {
const QPoint kTargetAt(760, 120);
const QSize kTargetSize(300, 300);
} // namespace

class TestDragOut : public QObject
{
    Q_OBJECT
private:
    CCilpboardListModel *cb() { return CClipboardManager::instance()->clipboardModel(); }

    // Drags the list row into the drop target and returns what the target received.
    QJsonObject dragRow(int row)
    {
        QFile::remove(m_output);
        dragRowTo(row, kTargetAt + QPoint(kTargetSize.width() / 2, kTargetSize.height() / 2));
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_output), 10000);
        }();
        QFile file(m_output);
        file.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    void dragRowTo(int row, QPoint to)
    {
        const QPoint from = OnScreen(m_wnd, QPoint(150, 52 + 48 * row + 24));
        const auto xy = [](QPoint p) {
            return QStringList{QString::number(p.x()), QString::number(p.y())};
        };
        // One xdotool run holds the button down the whole time: the drag runs a nested
        // event loop in this process, so no further command could be awaited meanwhile.
        // The pointer keeps moving over the target, so that the target is asked and
        // accepts before the button goes up.
        QStringList args{"mousemove"};
        args << xy(from) << "mousedown"
             << "1"
             << "sleep"
             << "0.2";
        for (int step = 1; step <= 4; ++step)
            args << "mousemove" << xy(from + QPoint(8 * step, 0)) << "sleep"
                 << "0.1";
        for (int step = 0; step < 6; ++step)
            args << "mousemove" << xy(to + QPoint(4 * step, 2 * step)) << "sleep"
                 << "0.3";
        args << "mouseup"
             << "1";
        QProcess xdotool;
        xdotool.start("xdotool", args);
        [&] {
            QVERIFY(xdotool.waitForStarted(5000));
        }();
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(xdotool.state() == QProcess::NotRunning, 30000);
        }();
    }
    static QByteArray data(const QJsonObject &drop, const QString &format)
    {
        return QByteArray::fromBase64(
            drop.value("formats").toObject().value(format).toString().toLatin1());
    }
    static QStringList formats(const QJsonObject &drop)
    {
        return drop.value("formats").toObject().keys();
    }

    CMain *m_main = nullptr;
    QQuickWindow *m_wnd = nullptr;
    QProcess m_target;
    QString m_output;

private slots:
    void initTestCase()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0");
        ini->setIni(ini->app_autoupdate(), false);
        ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
        m_main = new CMain(this);
        m_main->setReleaseHiddenAfter(0); // the test holds on to the windows
        QVERIFY(m_main->initialise());
        m_wnd = m_main->mainWindow();
        emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(Activate(m_wnd));
        m_wnd->setPosition(20, 60);

        m_output = QDir::tempPath() + "/dropped.json";
        m_target.start(DROP_TARGET_BIN,
                       {m_output, QString::number(kTargetAt.x()), QString::number(kTargetAt.y())});
        QVERIFY(m_target.waitForStarted(5000));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += m_target.readAllStandardOutput()).contains("ready"),
                                 30000);
        QTest::qWait(300); // mapped and placed by the window manager
    }

    void init() { cb()->clearRows(); }

    void aTextItemArrivesAsText()
    {
        cb()->prependItem(TextItem("dragged words"));
        const QJsonObject drop = dragRow(0);
        QCOMPARE(QString::fromUtf8(data(drop, "text/plain")), QString("dragged words"));
        QCOMPARE(drop.value("action").toInt(), int(Qt::CopyAction));
        // The list is unchanged: a drag copies.
        QCOMPARE(cb()->rowCount(), 1);
    }

    void aRichTextItemArrivesAsHtmlAndText()
    {
        CBData html = TextItem("<p>rich <b>words</b></p>", CQmlTypes::Html);
        html.plain = QStringLiteral("rich words");
        cb()->prependItem(html);
        const QJsonObject drop = dragRow(0);
        QVERIFY2(QString::fromUtf8(data(drop, "text/html")).contains("rich <b>words</b>"),
                 qPrintable(formats(drop).join(' ')));
        QCOMPARE(QString::fromUtf8(data(drop, "text/plain")), QString("rich words"));
    }

    void anImageItemArrivesAsPictureAndFile()
    {
        QImage picture(64, 32, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QMimeData mime;
        mime.setImageData(picture);
        const CBData image = GetCBDataFromMime(&mime);
        cb()->prependItem(image);
        cb()->prependItem(TextItem("a row above"));
        const QJsonObject drop = dragRow(1);

        const QImage got = QImage::fromData(data(drop, "image/png"), "PNG");
        QCOMPARE(got.size(), picture.size());
        QCOMPARE(got.pixelColor(10, 10), QColor(Qt::darkCyan));
        const QString path = StoragePaths::ImgPath(image.md5);
        // The store's file, as an address only (the toolkit offers address lists as plain
        // text too): never the bare path as text.
        QCOMPARE(QString::fromUtf8(data(drop, "text/plain")).trimmed(),
                 QUrl::fromLocalFile(path).toString());
        QCOMPARE(QString::fromUtf8(data(drop, "text/uri-list")).trimmed(),
                 QUrl::fromLocalFile(path).toString());
    }

    void aFileItemArrivesAsFileAddresses()
    {
        const QString first = QDir::tempPath() + "/report one.txt";
        const QString second = QDir::tempPath() + "/notes.md";
        for (const QString &f : {first, second}) {
            QFile file(f);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        cb()->prependItem(FileListItem({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
        const QJsonObject drop = dragRow(0);
        const QStringList uris =
            QString::fromUtf8(data(drop, "text/uri-list")).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(uris, QStringList({QUrl::fromLocalFile(first).toString(QUrl::FullyEncoded),
                                    QUrl::fromLocalFile(second).toString(QUrl::FullyEncoded)}));
        // As text, one path per line.
        QCOMPARE(QString::fromUtf8(data(drop, "text/plain")), first + "\n" + second);
    }

    // A GTK file manager copies the dragged file into the folder it shows.
    void aFileItemLandsInAGtkFileManager()
    {
        if (QStandardPaths::findExecutable("pcmanfm").isEmpty())
            QSKIP("pcmanfm is not installed (./dev.sh test installs it)");
        QTemporaryDir from, into;
        const QString name = "dropped report.txt";
        QFile source(from.filePath(name));
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("contents");
        source.close();
        cb()->prependItem(FileListItem({QUrl::fromLocalFile(source.fileName())}));

        QProcess manager;
        manager.start("pcmanfm", {"--no-desktop", into.path()});
        QVERIFY(manager.waitForStarted(5000));
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(window = Run("xdotool", {"search", "--onlyvisible", "--class", "pcmanfm"})
                           .section('\n', 0, 0)
                           .trimmed())
                 .isEmpty(),
            20000);
        // Over the drop target, its folder view where the drop lands.
        Run("xdotool", {"windowsize", "--sync", window, "560", "440"});
        Run("xdotool", {"windowmove", "--sync", window, "620", "40"});
        Run("xdotool", {"windowactivate", "--sync", window});
        QTest::qWait(500);
        dragRowTo(0, kTargetAt + QPoint(kTargetSize.width() / 2, kTargetSize.height() / 2));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(into.filePath(name)), 10000);
        QFile copied(into.filePath(name));
        QVERIFY(copied.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), QByteArray("contents"));
        QVERIFY(QFile::exists(source.fileName())); // a copy: the original stays
        manager.kill();
        manager.waitForFinished(5000);
        QVERIFY(Activate(m_wnd));
    }

    void cleanupTestCase()
    {
        m_target.kill();
        m_target.waitForFinished(5000);
        delete m_main;
        m_main = nullptr;
    }
};

TOLVANE_UI_TEST_MAIN(TestDragOut)

#include "tst_drag_out.moc"
