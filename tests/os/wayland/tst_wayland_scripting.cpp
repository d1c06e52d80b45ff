// End to end on sway, whose desktop portal has no global shortcuts: a key binding of the
// compositor runs `tolvane quick-paste`, and a digit in the quick paste window pastes that
// row into another Wayland program.
#include "paste_target_process.h"
#include "sway_tree.h"
#include "tolvane_process.h"

#include <QTest>
#include <QUuid>

#include <csignal>

class TestWaylandScripting : public QObject
{
    Q_OBJECT

private slots:
    void keyBindingOpensQuickPaste()
    {
        const QString tolvane = qEnvironmentVariable("TOLVANE_BIN");
        QVERIFY(!tolvane.isEmpty());
        TolvaneEnvironment env(QStringLiteral("wayland"));
        QVERIFY(env.writeSettings("app_version=1.5.0\n"));
        TolvaneProcess app(env);
        QVERIFY(app.start());
        QVERIFY2(app.waitForCount(QStringLiteral("bus interface"), 1, 30000),
                 qPrintable(app.log()));

        const auto cli = [&](const QStringList &args) {
            QProcess p;
            p.setProcessEnvironment(env.processEnvironment());
            p.start(tolvane, args);
            p.waitForFinished(20000);
            return p.exitCode();
        };
        const QString wanted = QStringLiteral("from the key binding ") +
                               QUuid::createUuid().toString(QUuid::Id128).left(8);
        QCOMPARE(cli({QStringLiteral("add"), wanted}), 0);
        QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("newest")}), 0);

        // The compositor runs commands with its own environment, which lacks this session's
        // bus: the binding names it.
        const QByteArray bound = SwayTree::Run(
            QStringLiteral("swaymsg"),
            {QStringLiteral("bindsym Ctrl+Alt+v exec env DBUS_SESSION_BUS_ADDRESS='%1' '%2' "
                            "quick-paste")
                 .arg(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), tolvane)});
        QVERIFY2(bound.contains("\"success\": true"), bound.constData());

        PasteTargetProcess target(qEnvironmentVariable("PASTE_TARGET"));
        QVERIFY2(target.start(), "the paste target never got the keyboard focus");
        SwayTree::Run(QStringLiteral("wtype"),
                      {"-M", "ctrl", "-M", "alt", "-k", "v", "-m", "alt", "-m", "ctrl"});
        // The quick paste window comes up with the focus.
        QTRY_VERIFY_WITH_TIMEOUT(qint64(SwayTree::FocusedWindow().value("pid").toDouble()) ==
                                     app.process().processId(),
                                 20000);
        SwayTree::Run(QStringLiteral("wtype"), {"2"});
        QVERIFY2(target.waitForText(wanted, 15000), qPrintable(target.text()));

        QVERIFY(app.sendSignal(SIGTERM));
        QVERIFY(app.waitForFinished(15000));
    }
};

QTEST_GUILESS_MAIN(TestWaylandScripting)
#include "tst_wayland_scripting.moc"
