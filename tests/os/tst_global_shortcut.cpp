// Global hot keys against a real X server: key presses come from another client
// (xdotool), and a competing grab from a separate program, as on a desktop.
#include "foreign_key_grab.h"
#include "isolated_env.h"
#include "os/global_shortcut.h"
#include "ui_driver.h"

#include <QSignalSpy>

#include <memory>

using UiDriver::Run;

namespace {
// A press straight from xdotool, without its modifier clearing, which would also take
// Caps Lock and Num Lock away.
void Press(const QString &combo)
{
    Run("xdotool", {"key", combo});
}

// Another X client holding a combination until it is destroyed.
class ForeignGrab : public ForeignKeyGrab
{
public:
    explicit ForeignGrab(const QString &combination)
        : ForeignKeyGrab(QStringLiteral(KEY_GRABBER_PATH), combination)
    {
    }
};

const QKeySequence kCombo(QStringLiteral("Ctrl+Alt+C"));
} // namespace

class TestGlobalShortcut : public QObject
{
    Q_OBJECT
private slots:
    void pressEmitsOncePerPressUntilReleased()
    {
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        QVERIFY(shortcut.shortcut().isEmpty());
        QVERIFY(shortcut.setShortcut(kCombo));
        QCOMPARE(shortcut.shortcut(), kCombo);
        Press("ctrl+alt+c");
        Press("ctrl+alt+c");
        QTRY_COMPARE(spy.count(), 2);

        // Other modifiers make another combination; the grabbed one alone counts.
        Press("ctrl+alt+shift+c");
        Press("ctrl+c");
        Press("ctrl+alt+c");
        QTRY_COMPARE(spy.count(), 3);
        QTest::qWait(50);
        QCOMPARE(spy.count(), 3);

        // Setting the same sequence again gives it back and takes it anew.
        QVERIFY(shortcut.setShortcut(kCombo));
        Press("ctrl+alt+c");
        QTRY_COMPARE(spy.count(), 4);

        // An empty sequence releases it: another program may take it now.
        QVERIFY(shortcut.setShortcut(QKeySequence()));
        QVERIFY(shortcut.shortcut().isEmpty());
        ForeignGrab other("ctrl+alt+c");
        QCOMPARE(other.answer(), QString("grabbed"));
    }

    void heldCombinationRepeats()
    {
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        QVERIFY(shortcut.setShortcut(kCombo));
        // The server's auto-repeat presses the held key again and again.
        Run("xdotool", {"keydown", "ctrl+alt+c"});
        QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 3, 10000);
        Run("xdotool", {"keyup", "ctrl+alt+c"});
    }

    void capsLockAndNumLockDoNotMatter()
    {
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        // Ctrl+Alt+F5 would be the server's own console switch.
        QVERIFY(shortcut.setShortcut(QKeySequence("Ctrl+Shift+F5")));
        int expected = 0;
        for (const QStringList &locks : {QStringList{"Caps_Lock"}, QStringList{"Num_Lock"},
                                         QStringList{"Caps_Lock", "Num_Lock"}}) {
            for (const QString &lock : locks)
                Press(lock);
            Press("ctrl+shift+F5");
            for (const QString &lock : locks)
                Press(lock); // back off
            ++expected;
            QTRY_COMPARE(spy.count(), expected);
        }
    }

    void disabledShortcutKeepsItsGrabButIsSilent()
    {
        QxtGlobalShortcut shortcut;
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        QVERIFY(shortcut.setShortcut(kCombo));
        shortcut.setDisabled();
        QVERIFY(!shortcut.isEnabled());
        QVERIFY(!shortcut.property("enabled").toBool());
        Press("ctrl+alt+c");
        // Still held: no other program gets it while disabled.
        {
            ForeignGrab other("ctrl+alt+c");
            QCOMPARE(other.answer(), QString("refused"));
        }
        shortcut.setEnabled();
        Press("ctrl+alt+c");
        // Presses arrive in order: one signal means the first press was swallowed.
        QTRY_COMPARE(spy.count(), 1);
        QTest::qWait(50);
        QCOMPARE(spy.count(), 1);
    }

    void secondHolderOfACombinationFails()
    {
        QxtGlobalShortcut first;
        QxtGlobalShortcut second;
        QSignalSpy first_spy(&first, &QxtGlobalShortcut::activated);
        QSignalSpy second_spy(&second, &QxtGlobalShortcut::activated);
        QVERIFY(first.setShortcut(kCombo));
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Alt+C");
        QVERIFY(!second.setShortcut(kCombo));
        // The failed one still tells its sequence.
        QCOMPARE(second.shortcut(), kCombo);
        Press("ctrl+alt+c");
        QTRY_COMPARE(first_spy.count(), 1);
        QCOMPARE(second_spy.count(), 0);

        // Releasing what was never registered is reported and forgets the sequence.
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to unregister: Ctrl+Alt+C");
        QVERIFY(!second.releaseShortcut());
        QVERIFY(second.shortcut().isEmpty());
        // The first one keeps its grab.
        Press("ctrl+alt+c");
        QTRY_COMPARE(first_spy.count(), 2);
    }

    void combinationTakenByAnotherProgramFailsAloneAndIsNotTaken()
    {
        ForeignGrab other("ctrl+alt+x");
        QCOMPARE(other.answer(), QString("grabbed"));
        QxtGlobalShortcut taken;
        QxtGlobalShortcut free;
        QSignalSpy taken_spy(&taken, &QxtGlobalShortcut::activated);
        QSignalSpy free_spy(&free, &QxtGlobalShortcut::activated);
        QTest::ignoreMessage(QtWarningMsg, "QxtGlobalShortcut failed to register: Ctrl+Alt+X");
        QVERIFY(!taken.setShortcut(QKeySequence("Ctrl+Alt+X")));
        QCOMPARE(taken.shortcut(), QKeySequence("Ctrl+Alt+X"));
        QVERIFY(free.setShortcut(QKeySequence("Ctrl+Alt+Y")));
        Press("ctrl+alt+x");
        Press("ctrl+alt+y");
        QTRY_COMPARE(free_spy.count(), 1);
        QCOMPARE(taken_spy.count(), 0);
    }

    void keysOutsideTheTableRegisterNothing()
    {
        QxtGlobalShortcut shortcut;
        for (const char *sequence : {"Ctrl+Alt+.", "Ctrl+Alt+;", "Ctrl+Alt+CapsLock"}) {
            QTest::ignoreMessage(QtWarningMsg,
                                 qPrintable(QString("QxtGlobalShortcut failed to register: %1")
                                                .arg(QKeySequence(sequence).toString())));
            QVERIFY2(!shortcut.setShortcut(QKeySequence(sequence)), sequence);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("failed to unregister"));
            shortcut.releaseShortcut();
        }
        // Listed keys beyond letters register, the keypad ones as the keypad keys.
        QVERIFY(shortcut.setShortcut(QKeySequence("Meta+Shift+Space")));
        QVERIFY(shortcut.setShortcut(QKeySequence("Ctrl+Alt+PgDown")));
        // (Ctrl+Alt on the keypad minus is the server's own mode switch.)
        QVERIFY(shortcut.setShortcut(QKeySequence("Meta+-")));
        QSignalSpy spy(&shortcut, &QxtGlobalShortcut::activated);
        Press("super+minus");
        Press("super+KP_Subtract");
        QTRY_COMPARE(spy.count(), 1);
    }

    void destructionReleasesInAnyOrder()
    {
        auto first = std::make_unique<QxtGlobalShortcut>();
        auto second = std::make_unique<QxtGlobalShortcut>();
        QVERIFY(first->setShortcut(kCombo));
        QVERIFY(second->setShortcut(QKeySequence("Ctrl+Alt+V")));
        QSignalSpy spy(second.get(), &QxtGlobalShortcut::activated);
        // The shortcut created first goes first; the other keeps receiving its presses.
        first.reset();
        Press("ctrl+alt+v");
        QTRY_COMPARE(spy.count(), 1);
        {
            ForeignGrab other("ctrl+alt+c");
            QCOMPARE(other.answer(), QString("grabbed"));
        }
        second.reset();
        ForeignGrab other("ctrl+alt+v");
        QCOMPARE(other.answer(), QString("grabbed"));
    }
};

TOLVANE_TEST_MAIN(TestGlobalShortcut)
#include "tst_global_shortcut.moc"
