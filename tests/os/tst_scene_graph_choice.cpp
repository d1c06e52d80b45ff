// Which scene graph draws the windows: the rules, and the choice made on the test session's
// X server (Xvfb, whose only OpenGL is Mesa's CPU renderer) before the first window.
#include "os/scene_graph_choice.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QtTest>

using SceneGraphChoice::Renderer;

Q_DECLARE_METATYPE(Renderer)

class TestSceneGraphChoice : public QObject
{
    Q_OBJECT
private slots:
    void rules_data();
    void rules();
    void chosenOnTheTestServer();
};

void TestSceneGraphChoice::rules_data()
{
    QTest::addColumn<Renderer>("renderer");
    QTest::addColumn<bool>("software");
    //                                user   forced x11    direct
    QTest::newRow("x server without dri") << Renderer{false, false, true, false} << true;
    QTest::newRow("x server with dri") << Renderer{false, false, true, true} << false;
    QTest::newRow("wayland") << Renderer{false, false, false, false} << false;
    QTest::newRow("forced software, gpu") << Renderer{false, true, true, true} << true;
    QTest::newRow("forced software, wayland") << Renderer{false, true, false, false} << true;
    QTest::newRow("user's choice wins") << Renderer{true, false, true, false} << false;
    QTest::newRow("user's choice over forced") << Renderer{true, true, false, false} << false;
}

void TestSceneGraphChoice::rules()
{
    QFETCH(Renderer, renderer);
    QFETCH(bool, software);
    QCOMPARE(SceneGraphChoice::UseSoftware(renderer), software);
}

void TestSceneGraphChoice::chosenOnTheTestServer()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QByteArray idleTime = qgetenv("QT_QPA_UPDATE_IDLE_TIME");
    SceneGraphChoice::ChooseBeforeFirstWindow();
    // A frame is drawn as soon as it is asked for, unless the user said otherwise.
    QCOMPARE(qgetenv("QT_QPA_UPDATE_IDLE_TIME"), idleTime.isNull() ? "0" : idleTime);
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        QSKIP("the backend is the user's choice here");
    QCOMPARE(QQuickWindow::sceneGraphBackend(), QStringLiteral("software"));
    // And a window really draws with it.
    QQuickWindow window;
    window.resize(64, 64);
    window.setColor(Qt::red);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.rendererInterface()->graphicsApi(), QSGRendererInterface::Software);
    QCOMPARE(window.grabWindow().pixelColor(10, 10), QColor(Qt::red));
}

QTEST_MAIN(TestSceneGraphChoice)
#include "tst_scene_graph_choice.moc"
