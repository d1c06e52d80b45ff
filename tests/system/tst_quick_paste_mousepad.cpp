// The quick paste as a user does it, fifty times in a row, into a real GTK editor under
// the window manager: the hot key from another X client, then a digit, Enter on the second
// row, or a click on it. Every paste must arrive, and nothing typed for the quick paste
// window may land in the editor.
#include "isolated_env.h"
#include "tolvane_process.h"
#include "ui_driver.h"

#include <QDir>
#include <QStandardPaths>

namespace {
constexpr int kPastes = 50;
const QStringList kItems = {QStringLiteral("charlie"), QStringLiteral("bravo"),
                            QStringLiteral("alpha")}; // copied in this order: alpha on top
const QString kChosen = QStringLiteral("bravo");
const QString kShown = QStringLiteral("paste target");
const QString kRead = QStringLiteral("paste read");
const QString kNotRead = QStringLiteral("paste not read");

QString Xdotool(const QStringList &args)
{
    return UiDriver::Run(QStringLiteral("xdotool"), args).trimmed();
}
} // namespace

class TestQuickPasteMousepad : public QObject
{
    Q_OBJECT
private slots:
    void fiftyPastesArrive();

private:
    ChildProcesses m_children;
};

void TestQuickPasteMousepad::fiftyPastesArrive()
{
    if (QStandardPaths::findExecutable(QStringLiteral("mousepad")).isEmpty())
        QSKIP("mousepad is not installed (./dev.sh test installs it)");
    TolvaneEnvironment env;
    QVERIFY(env.writeSettings("app_version=1.5.0\napp_show_tray=false\napp_autoupdate=false\n"));
    TolvaneProcess app(env);
    QVERIFY(app.start());
    QVERIFY(app.waitForCount(QStringLiteral("settings file"), 1));
    for (int i = 0; i < kItems.size(); ++i) {
        QProcess *xclip = m_children.start(
            QStringLiteral("xclip"),
            {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
        QVERIFY(xclip);
        xclip->write(kItems.at(i).toUtf8());
        xclip->closeWriteChannel();
        QVERIFY2(app.waitForCount(QStringLiteral("captured"), i + 1), qPrintable(app.log()));
    }

    const QString file = env.root() + QStringLiteral("/pasted.txt");
    QProcess *editor = m_children.start(QStringLiteral("mousepad"), {file});
    QVERIFY(editor);
    QString editor_window;
    QVERIFY(QTest::qWaitFor(
        [&] {
            editor_window =
                Xdotool({"search", "--onlyvisible", "--classname", "mousepad"}).section('\n', 0, 0);
            return !editor_window.isEmpty();
        },
        20000));
    Xdotool({"windowactivate", "--sync", editor_window});

    QString quick_window;
    for (int i = 0; i < kPastes; ++i) {
        // The hot key may come before the program has grabbed it: only the first is repeated.
        for (int attempt = 0; attempt < (i == 0 ? 4 : 1); ++attempt) {
            Xdotool({"key", "ctrl+alt+v"});
            if (app.waitForCount(kShown, i + 1, i == 0 ? 5000 : 10000))
                break;
        }
        QVERIFY2(app.count(kShown) == i + 1, qPrintable(QString("round %1").arg(i)));
        // The request comes before the window is mapped.
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (quick_window.isEmpty())
                    quick_window = Xdotool({"search", "--onlyvisible", "--classname", "tolvane"})
                                       .section('\n', 0, 0);
                return !quick_window.isEmpty() && Xdotool({"getactivewindow"}) == quick_window;
            },
            10000));
        switch (i % 3) {
        case 0:
            Xdotool({"key", "2"});
            break;
        case 1:
            Xdotool({"key", "Down", "Return"});
            break;
        default: {
            // A person's click comes after the rows have faded in.
            QTest::qWait(250);
            // The window is centred; the second row lies below the search field and the first.
            const QString geometry = Xdotool({"getwindowgeometry", "--shell", quick_window});
            const auto value = [&](const QString &name) {
                for (const QString &line : geometry.split('\n')) {
                    if (line.startsWith(name + '='))
                        return line.mid(name.size() + 1).toInt();
                }
                return 0;
            };
            const int x = value("X") + value("WIDTH") / 2;
            const int y = value("Y") + 25 + 54 + 74 + 37;
            Xdotool({"mousemove", "--sync", QString::number(x), QString::number(y), "click", "1"});
            Xdotool({"mousemove", "1270", "790"});
            break;
        }
        }
        QVERIFY2(
            QTest::qWaitFor([&] { return app.count(kRead) + app.count(kNotRead) == i + 1; }, 10000),
            qPrintable(QString("round %1").arg(i)));
    }
    Xdotool({"windowactivate", "--sync", editor_window});
    Xdotool({"key", "ctrl+s"});
    QByteArray text;
    (void)QTest::qWaitFor([&] { return (text = ReadAll(file)).count(kChosen.toUtf8()) >= kPastes; },
                          10000);
    const int arrived = text.count(kChosen.toUtf8());
    qInfo().noquote() << QString("%1 of %2 pastes arrived in mousepad; read %3, not read %4")
                             .arg(arrived)
                             .arg(kPastes)
                             .arg(app.count(kRead))
                             .arg(app.count(kNotRead));
    if (arrived != kPastes) {
        qInfo().noquote() << "mousepad holds:" << text;
        const QStringList lines = app.log().split('\n');
        for (const QString &line : lines) {
            if (line.contains(QLatin1String("paste")))
                qInfo().noquote() << line;
        }
    }
    QCOMPARE(arrived, kPastes);
    // Nothing else: no digit, no line end, no other item.
    QCOMPARE(QString::fromUtf8(text), kChosen.repeated(kPastes));
    QCOMPARE(app.count(kNotRead), 0);
}

TOLVANE_TEST_MAIN(TestQuickPasteMousepad)
#include "tst_quick_paste_mousepad.moc"
