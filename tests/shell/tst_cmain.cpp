// The controller's start-up on a real X server: context, main window, first-run usage text.
#include "clipboard/clipboard_manager.h"
#include "clipboard/qml_helper.h"
#include "cmain.h"
#include "free_port.h"
#include "isolated_env.h"
#include "item/storage_paths.h"
#include "local_http_server.h"
#include "quick_paste_view.h"
#include "settings/settings_helper.h"
#include "ui_driver.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlProperty>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTcpSocket>

using UiDriver::ForeignClipboard;

namespace {
// A document whose types the engine still holds is ready at once, even when asked for
// asynchronously; one it let go of is loaded again.
bool TypesKept(QQmlEngine *engine, const char *url)
{
    QQmlComponent component(engine, QUrl(url), QQmlComponent::Asynchronous);
    return component.isReady();
}
} // namespace

class TestCMain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->connect_port(), QString::number(FreeTcpPort()));
    }

    void firstRunPutsTheUsageOnTheClipboard()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        QVERIFY(!ini->getIni(ini->app_version()).isValid());
        ini->setIni(ini->app_autoupdate(), false); // no request to the real feed
        CMain controller;
        QVERIFY(controller.initialise());

        QQmlContext *ctx = controller.engine()->rootContext();
        for (const char *name :
             {"m_const", "m_cb", "m_model", "m_model_pin", "m_utilities", "m_ini"})
            QVERIFY2(ctx->contextProperty(name).value<QObject *>(), name);
        // Nothing graphical until it is asked for.
        QVERIFY(!controller.existingMainWindow());
        QVERIFY(controller.mainWindow());
        QVERIFY(!controller.mainWindow()->isVisible());

        // The delayed part runs once the event loop turns.
        QTRY_COMPARE(ini->getIni(ini->app_version()).toString(), QString("1.5.0"));
        const QString plain = ForeignClipboard("UTF8_STRING");
        QVERIFY2(plain.startsWith("Usage:"), qPrintable(plain.left(40)));
        const QString html = ForeignClipboard("text/html");
        QVERIFY(html.startsWith("<h1>Usage:</h1><h3>Clipboard View</h3>"));
        QVERIFY(html.endsWith("<b>Enjoy!</b><br/><b>(^-^*)</b>"));
        QCOMPARE(html.count("<li>"), 11);

        // It became the first item of the history, as an ordinary capture.
        CCilpboardListModel *list = CClipboardManager::instance()->clipboardModel();
        QTRY_VERIFY(list->rowCount() > 0 && list->getPlain(0).startsWith("Usage:"));
    }

    // The link server starts with the delayed part, on the port of the settings, is offered
    // to the main window as m_connector, and stops listening at quit.
    void linkServerRunsFromStartToQuit()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        const quint16 port = FreeTcpPort();
        ini->setIni(ini->connect_port(), QString::number(port));
        CMain controller;
        QVERIFY(controller.initialise());
        QCOMPARE(
            controller.engine()->rootContext()->contextProperty("m_connector").value<QObject *>(),
            static_cast<QObject *>(controller.connector()));
        QTRY_COMPARE(controller.connector()->serverPort(), port);
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(probe.waitForConnected(5000));
        probe.abort();

        QVERIFY(QMetaObject::invokeMethod(qApp, "aboutToQuit"));
        QCOMPARE(controller.connector()->serverPort(), quint16(0));
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!probe.waitForConnected(2000));
    }

    // A port the settings cannot give is not turned into one the system picks at random.
    void unusablePortFallsBackToTheDefault()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        const QVariant kept = ini->getIni(ini->connect_port());
        for (const char *bad : {"eighty", "0", "-1", "65536", ""}) {
            ini->setIni(ini->connect_port(), QString::fromLatin1(bad));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no usable port"));
            QCOMPARE(CMain::linkServerPort(), ushort(8121));
        }
        ini->setIni(ini->connect_port(), "65535");
        QCOMPARE(CMain::linkServerPort(), ushort(65535));
        ini->setIni(ini->connect_port(), kept);
    }

    void laterStartsLeaveTheClipboardAlone()
    {
        QGuiApplication::clipboard()->setText("marker");
        QTest::qWait(50);
        CMain controller;
        controller.CheckAppVersion();
        QTest::qWait(50);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("marker"));

        // Another stored version is only updated.
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.4.2");
        controller.CheckAppVersion();
        QCOMPARE(ini->getIni(ini->app_version()).toString(), QString("1.5.0"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("marker"));
    }

    // Some seconds after start the updater asks the feed, unless the user switched that off.
    void theUpdateCheckFollowsTheSetting()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0");
        for (const bool automatic : {true, false}) {
            ini->setIni(ini->app_autoupdate(), automatic);
            LocalHttpServer feed;
            QVERIFY(feed.start());
            feed.serve("/updates.xml",
                       "<rss><channel><item><enclosure url=\"https://d.example.org/\" "
                       "sparkle:version=\"1.5.0\"/></item></channel></rss>");
            CMain controller;
            controller.updater()->setFeedUrl(QUrl(feed.url("/updates.xml")));
            QSignalSpy none(controller.updater(), &CUpdaterHelper::sigNoUpdates);
            QVERIFY(controller.initialise());
            QCOMPARE(
                controller.engine()->rootContext()->contextProperty("m_updater").value<QObject *>(),
                controller.updater());
            QVERIFY(
                controller.engine()->rootContext()->contextProperty("m_drag").value<QObject *>());
            if (automatic) {
                QTRY_COMPARE_WITH_TIMEOUT(none.count(), 1, 15000);
                QCOMPARE(feed.requests(), QStringList({"/updates.xml"}));
            } else {
                // Well past the delay, nothing has been asked.
                QTest::qWait(5000);
                QVERIFY(feed.requests().isEmpty());
            }
        }
    }

    // Files from linked hosts go to a folder of this user alone, emptied at every start. A
    // link planted where that folder belongs is neither emptied through nor used.
    void theTransferFolderIsPrivateAndNeverALink()
    {
        const QString victim = QDir::tempPath() + "/victim";
        QVERIFY(QDir().mkpath(victim));
        QFile precious(victim + "/precious.txt");
        QVERIFY(precious.open(QIODevice::WriteOnly));
        precious.close();
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Tolvane";
        QDir(runtime).removeRecursively();
        QVERIFY(QFile::link(victim, runtime));
        {
            CMain controller;
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("PrepareTransferFolder.*link"));
            QVERIFY(controller.initialise());
        }
        QVERIFY(QFile::exists(victim + "/precious.txt"));
        QCOMPARE(StoragePaths::TempRoot(), StoragePaths::CacheDir() + "/transfer/");
        QCOMPARE(QFileInfo(StoragePaths::TempRoot()).permissions() & 0x0077,
                 QFileDevice::Permissions());

        // The user's own runtime folder is used once it is a real folder again, and what an
        // earlier run received there is gone.
        QVERIFY(QFile::remove(runtime));
        QVERIFY(QDir().mkpath(runtime + "/10.0.0.2"));
        QFile old(runtime + "/10.0.0.2/received.png");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        {
            CMain controller;
            QVERIFY(controller.initialise());
        }
        QCOMPARE(StoragePaths::TempRoot(), runtime + "/");
        QVERIFY(!QFile::exists(runtime + "/10.0.0.2/received.png"));
        QCOMPARE(QFileInfo(runtime).permissions() & 0x0077, QFileDevice::Permissions());
    }

    // Once its show is over, a new window draws nothing while nothing changes: no animation
    // runs unseen (the pages' list once grew an invisible highlight for a second). A text
    // field's blinking cursor may draw a frame or two.
    static void VerifySoonIdle(QQuickWindow *window)
    {
        QTest::qWait(700);
        int frames = 0;
        const QMetaObject::Connection counting =
            QObject::connect(window, &QQuickWindow::frameSwapped, window, [&frames] { ++frames; });
        QTest::qWait(600);
        QObject::disconnect(counting);
        QVERIFY2(frames <= 2, qPrintable(QString("%1 frames drawn while idle").arg(frames)));
    }

    // Hidden windows are given back after a while and made again on the next request; a
    // main window with a dialog open is kept, as the dialog may wait on a link or the user.
    void hiddenWindowsAreGivenBackAndMadeAgain()
    {
        CSettingsHelper *ini = CSettingsHelper::instance();
        ini->setIni(ini->app_version(), "1.5.0");
        CMain controller;
        controller.setReleaseHiddenAfter(300);
        QVERIFY(controller.initialise());
        CCilpboardListModel *list = CClipboardManager::instance()->clipboardModel();
        QGuiApplication::clipboard()->setText("seen in every window");
        QTRY_VERIFY(list->rowCount() > 0 && list->getPlain(0) == "seen in every window");

        CQmlHelper *util = CQmlHelper::instance();
        emit util->sigShowMainWnd();
        QPointer<QQuickWindow> first = controller.existingMainWindow();
        QVERIFY(first);
        QTRY_VERIFY(first->isVisible());
        QTest::qWait(600); // shown windows stay
        QVERIFY(first);
        first->setProperty("face_opacity", 0);
        QTRY_VERIFY(!first); // given back
        QVERIFY(!controller.existingMainWindow());
        QTest::qWait(100);
        // Its types stay loaded: the next show makes only the objects.
        QVERIFY(TypesKept(controller.engine(), "qrc:/qml/main.qml"));

        emit util->sigShowMainWnd();
        QQuickWindow *second = controller.existingMainWindow();
        QVERIFY(second);
        QTRY_VERIFY(second->isVisible());
        // The new window lists the history kept meanwhile.
        auto *main_list = second->findChild<QObject *>("main_list");
        QVERIFY(main_list);
        QTRY_COMPARE(QQmlProperty::read(main_list, "count").toInt(), list->rowCount());
        VerifySoonIdle(second);

        // A message open in the hidden window keeps it.
        QObject *dialogs = second->findChild<QObject *>("dialogs");
        QVERIFY(QMetaObject::invokeMethod(dialogs, "message", Q_ARG(QVariant, "kept"),
                                          Q_ARG(QVariant, ""), Q_ARG(QVariant, 150)));
        second->setProperty("face_opacity", 0);
        QTRY_VERIFY(!second->isVisible());
        QTest::qWait(1000);
        QCOMPARE(controller.existingMainWindow(), second);

        // The quick paste window: the first request makes and shows it, and once it was
        // given back the next request makes it again.
        emit util->sigShowQuickPaste();
        QPointer<QQuickWindow> qp = controller.quickPasteView()->window();
        QVERIFY(qp);
        QTRY_VERIFY(qp->isVisible());
        qp->hide();
        QTRY_VERIFY(!qp);
        QTest::qWait(100);
        QVERIFY(TypesKept(controller.quickPasteView()->engine(),
                          "qrc:/qml/quickpaste/QuickPasteView.qml"));
        emit util->sigShowQuickPaste();
        QVERIFY(controller.quickPasteView()->window());
        QTRY_VERIFY(controller.quickPasteView()->window()->isVisible());
        VerifySoonIdle(controller.quickPasteView()->window());
    }

    // The history is kept without a window; a window that cannot be made is reported each
    // time it is asked for and never dereferenced.
    void aMissingMainWindowIsReportedNotDereferenced()
    {
        CMain controller;
        QVERIFY(controller.initialise(QUrl("qrc:/qml/no-such-window.qml")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("gave no window"));
        emit CQmlHelper::instance()->sigShowMainWnd();
        QVERIFY(!controller.existingMainWindow());
        QGuiApplication::clipboard()->setText("kept without a window");
        CCilpboardListModel *list = CClipboardManager::instance()->clipboardModel();
        QTRY_VERIFY(list->rowCount() > 0 && list->getPlain(0) == "kept without a window");
    }
};

TOLVANE_TEST_MAIN(TestCMain)
#include "tst_cmain.moc"
