// Two real tolvane processes, each in a network namespace of its own with its own X server,
// window manager, bus, HOME and machine name, joined by a veth pair. The user of host A
// links to host B and uses B's history entirely through A's interface, driven only by
// key presses and clicks (xdotool), the clipboard (xclip) and what the screen shows (read
// with OCR): the connection dialog and its failures, the host bar, B's list and its
// search, an item's details, a download with its progress dialog, and dropping the link.
#include "host_screen.h"
#include "isolated_env.h"
#include "linked_host.h"
#include "netns_pair.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QUrl>

namespace {
const QString kPrefix = QStringLiteral("tlv14");
const QString kSubnet = QStringLiteral("10.214.0");
const QString kNameA = QStringLiteral("alpha-host");
const QString kNameB = QStringLiteral("bravo-host");
const QString kPassword = QStringLiteral("open sesame");
const QString kText = QStringLiteral("zebra crossing from bravo");
// The file's row shows the start of its long path: the test folder's name. What follows
// depends on random folder names and on where the row's elision falls.
const QString kFileRow = QStringLiteral("tolvane-test");
// Nobody has this address: linking to it fails after the neighbour look-up.
const QString kNobody = kSubnet + QStringLiteral(".9");

// Fixed places of the main window (no compositor, so no shadow margin).
constexpr int kTitle = 52;
constexpr int kListWidth = 350;
constexpr int kBarHeight = 76;
constexpr int kRowHeight = 48;
// A row's buttons sit at its right end.
constexpr int kRowButton = 24;
constexpr int kDialogWidth = 300;
constexpr int kDialogHeight = 205;

QString Theme()
{
    return qEnvironmentVariable("TOLVANE_UI_THEME") == QLatin1String("dark")
               ? QStringLiteral("dark")
               : QStringLiteral("light");
}

LinkedHost::Options HostOptions(const QString &name, const QString &password)
{
    LinkedHost::Options o;
    o.password = password;
    o.hostname = name;
    o.control = false;
    o.desktop = true;
    o.extra_ini = "app_version=" TOLVANE_VERSION "\napp_show_tray=true\napp_theme_color=" +
                  QByteArray(Theme() == QLatin1String("dark") ? "false" : "true") + "\n";
    return o;
}

// On failure the screen is kept, so that one sees what the program showed instead.
#define VERIFY_SCREEN(screen, condition, seen)                                                     \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            (screen).saveShot(QStringLiteral(TOLVANE_ARTIFACTS_DIR "/link-failure-") + Theme() +   \
                              QStringLiteral(".png"));                                             \
            saveLogs();                                                                            \
            QFAIL(qPrintable(QStringLiteral(#condition " read: ") + (seen)));                      \
        }                                                                                          \
    } while (false)

// Helpers check with QVERIFY and QFAIL, which leave only the helper.
#define STOP_IF_FAILED()                                                                           \
    do {                                                                                           \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

// A picture of one colour that nothing else on the screen has.
const QColor kPictureColour(30, 90, 200);

QByteArray PictureAsPng()
{
    QImage img(160, 120, QImage::Format_RGB32);
    img.fill(kPictureColour);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png;
}

// How many pixels of the area have the picture's colour.
int PicturePixels(const QImage &screen, const QRect &area)
{
    int n = 0;
    const QRect inside = area & screen.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += QColor(screen.pixel(x, y)) == kPictureColour ? 1 : 0;
    }
    return n;
}

QByteArray Sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}
} // namespace

class TestLinkFromInterface : public QObject
{
    Q_OBJECT

private:
    // Both programs' logs beside the failure's picture.
    void saveLogs()
    {
        QFile out(QStringLiteral(TOLVANE_ARTIFACTS_DIR "/link-failure-") + Theme() + ".log");
        if (out.open(QIODevice::WriteOnly) && m_a && m_b)
            out.write(("=== A\n" + m_a->log() + "\n=== B\n" + m_b->log()).toUtf8());
    }
    LinkedHost *m_a = nullptr;
    LinkedHost *m_b = nullptr;

    QRect dialog(const HostScreen &s) const
    {
        const QRect w = s.window();
        return QRect((w.width() - kDialogWidth) / 2, (w.height() - kDialogHeight) / 2, kDialogWidth,
                     kDialogHeight);
    }
    QRect hostBar(const HostScreen &s) const
    {
        return QRect(0, s.window().height() - kBarHeight, kListWidth, kBarHeight);
    }
    QRect list(const HostScreen &s) const
    {
        return QRect(0, kTitle, kListWidth, s.window().height() - kTitle - kBarHeight);
    }
    QRect details(const HostScreen &s) const
    {
        return QRect(kListWidth, kTitle, s.window().width() - kListWidth,
                     s.window().height() - kTitle);
    }
    QRect titleBar(const HostScreen &s) const { return QRect(0, 0, s.window().width(), kTitle); }
    void saveShot(HostScreen &s, const QString &name)
    {
        const QString path =
            QStringLiteral(TOLVANE_ARTIFACTS_DIR "/") + name + "-" + Theme() + ".png";
        QVERIFY2(s.saveShot(path), qPrintable(path));
    }
    // The menu's "Connection" entry.
    void openConnectionDialog(HostScreen &s)
    {
        const int w = s.window().width();
        s.click(QPoint(w - 82, kTitle / 2));
        QVERIFY2(s.waitForWords(QRect(w - 308, 0, 200, 260), {"settings", "connection"}, 30000),
                 "the title bar menu");
        s.click(QPoint(w - 208, 8 + 48 + 24));
        QVERIFY2(s.waitForWords(dialog(s), {"local", "connect"}, 30000), "the dialog's tabs");
    }
    // On the "Connect" tab: the address and the password.
    void fillIn(HostScreen &s, const QString &ip, const QString &pwd)
    {
        const QRect d = dialog(s);
        s.click(d.topLeft() + QPoint(d.width() * 3 / 4, 24));
        s.click(d.topLeft() + QPoint(100, 48 + 12 + 24));
        s.key({"ctrl+a"});
        s.type(ip);
        s.key({"Tab"});
        s.key({"ctrl+a"});
        s.type(pwd);
    }
    void pressConnect(HostScreen &s)
    {
        const QRect d = dialog(s);
        s.click(d.topLeft() + QPoint(d.width() - 24 - 20, 48 + 12 + 24));
    }
    // From the Clipboard view: Right to the Pin view, Right again to the first host's list,
    // whose search field and rows then show these words.
    void toRemoteList(HostScreen &s, const QStringList &title, const QStringList &rows)
    {
        QString seen;
        s.key({"Right"});
        VERIFY_SCREEN(s, s.waitForWords(titleBar(s), {"search pinned"}, 30000, &seen), seen);
        s.key({"Right"});
        VERIFY_SCREEN(s, s.waitForWords(titleBar(s), title, 30000, &seen), seen);
        VERIFY_SCREEN(s, s.waitForWords(list(s), rows, 30000, &seen), seen);
    }
    void connectTo(HostScreen &s, const QString &ip, const QString &pwd)
    {
        fillIn(s, ip, pwd);
        pressConnect(s);
    }
    // The dialog's only button: OK, or Cancel while an attempt runs or after it failed.
    void dialogButton(HostScreen &s)
    {
        const QRect d = dialog(s);
        s.click(d.topLeft() + QPoint(d.width() - 50, d.height() - 26));
    }

private slots:
    void initTestCase() { NetnsPair::removeStale(kPrefix); }
    void linkUseAndDropFromTheInterface();
};

void TestLinkFromInterface::linkUseAndDropFromTheInterface()
{
    NetnsPair net(kPrefix, kSubnet);
    if (!net.error().isEmpty())
        QSKIP(qPrintable(net.error()));
    LinkedHost a(net.nameA(), HostOptions(kNameA, QString()));
    LinkedHost b(net.nameB(), HostOptions(kNameB, kPassword));
    m_a = &a;
    m_b = &b;
    QString why;
    QVERIFY2(a.start(&why), qPrintable(why));
    QVERIFY2(b.start(&why), qPrintable(why));
    // B sends at a few MiB per second, so that a download takes a few seconds.
    QVERIFY(
        NetnsPair::runIp({"netns", "exec", net.nameB(), "tc", "qdisc", "add", "dev", net.deviceB(),
                          "root", "tbf", "rate", "8mbit", "burst", "64kbit", "latency", "400ms"}));

    // What B has copied: a text, and a file whose bytes only B holds.
    QByteArray body(3 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(body.data()),
                                          body.size() / 4);
    const QString file = b.env().root() + QStringLiteral("/home/quarterly report.bin");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(body);
    f.close();
    QVERIFY(b.copy("image/png", PictureAsPng()));
    QTest::qWait(1000);
    QVERIFY(b.copy("UTF8_STRING", kText.toUtf8()));
    QTest::qWait(1000);
    QVERIFY(b.copy("text/uri-list", QUrl::fromLocalFile(file).toEncoded() + "\r\n"));

    HostScreen sa(a);
    HostScreen sb(b);
    QVERIFY2(sa.showMainWindow(), qPrintable(a.log()));
    QVERIFY2(sb.showMainWindow(), qPrintable(b.log()));
    QString seen;
    VERIFY_SCREEN(sb, sb.waitForWords(list(sb), {"zebra", kFileRow}, 60000, &seen), seen);
    // Nothing linked: no host bar.
    QVERIFY2(!sa.read(hostBar(sa)).contains(kNameA), "no host bar before linking");

    // The dialog: first an address nobody has, then the wrong password.
    openConnectionDialog(sa);
    STOP_IF_FAILED();
    fillIn(sa, kNobody, kPassword);
    saveShot(sa, QStringLiteral("link-dialog-form"));
    pressConnect(sa);
    VERIFY_SCREEN(sa, sa.waitForWords(dialog(sa), {"connecting"}, 10000, &seen), seen);
    saveShot(sa, QStringLiteral("link-dialog-connecting"));
    VERIFY_SCREEN(
        sa,
        sa.waitForText(
            dialog(sa),
            [](const QString &t) { return t.contains("unreachable") || t.contains("timed out"); },
            60000, &seen),
        seen);
    dialogButton(sa); // Cancel: back to the form
    VERIFY_SCREEN(sa, sa.waitForWords(dialog(sa), {"local", "connect"}, 30000, &seen), seen);

    connectTo(sa, net.addressB(), QStringLiteral("not the password"));
    VERIFY_SCREEN(sa, sa.waitForWords(dialog(sa), {"password incorrect"}, 60000, &seen), seen);
    saveShot(sa, QStringLiteral("link-dialog-failed"));
    dialogButton(sa);
    VERIFY_SCREEN(sa, sa.waitForWords(dialog(sa), {"local", "connect"}, 30000, &seen), seen);

    // The right password: the dialog closes and both host bars show both machines.
    connectTo(sa, net.addressB(), kPassword);
    VERIFY_SCREEN(sa, sa.waitForWords(hostBar(sa), {kNameA, kNameB}, 60000, &seen), seen);
    VERIFY_SCREEN(sb, sb.waitForWords(hostBar(sb), {kNameB, kNameA}, 60000, &seen), seen);
    saveShot(sa, QStringLiteral("link-host-bar"));

    // Right twice: the Pin view, then B's list, with its own search field.
    toRemoteList(sa, {"search " + kSubnet}, {"zebra", kFileRow});
    STOP_IF_FAILED();
    saveShot(sa, QStringLiteral("link-remote-list"));
    // Left goes back to the Pin view, Right to B's list again.
    sa.key({"Left"});
    VERIFY_SCREEN(sa, sa.waitForWords(titleBar(sa), {"search pinned"}, 30000, &seen), seen);
    sa.key({"Right"});
    VERIFY_SCREEN(sa, sa.waitForWords(titleBar(sa), {"search " + kSubnet}, 30000, &seen), seen);

    // B's picture: its details fetch it from B and then show it.
    sa.key({"ctrl+f"});
    sa.type(QStringLiteral("image"));
    // The row's one word is all match, marked in the accent, which the screen reader does not
    // always make out on the dark face: the text row going away shows the search applied, and
    // the picture below shows the row is B's image.
    VERIFY_SCREEN(
        sa,
        sa.waitForText(
            list(sa), [](const QString &t) { return !t.contains("zebra"); }, 30000, &seen),
        seen);
    sa.key({"Tab"});
    const bool picture_shown = QTest::qWaitFor(
        [&] {
            return PicturePixels(sa.shot(), details(sa).translated(sa.window().topLeft())) >
                   100 * 100;
        },
        60000);
    VERIFY_SCREEN(sa, picture_shown, QStringLiteral("no picture in the details"));
    sa.key({"ctrl+f"});
    sa.key({"ctrl+a", "BackSpace"});

    // A search in B's list, then its first row to the clipboard with the row's copy button,
    // which a remote row shows on hover even as the first row.
    sa.key({"ctrl+f"});
    sa.type(QStringLiteral("zebra"));
    VERIFY_SCREEN(sa,
                  sa.waitForText(
                      list(sa),
                      [](const QString &t) { return t.contains("zebra") && !t.contains(kFileRow); },
                      30000, &seen),
                  seen);
    sa.moveTo(QPoint(kListWidth / 2, kTitle + kRowHeight / 2));
    sa.click(QPoint(kListWidth - kRowButton / 2, kTitle + kRowHeight / 2));
    QTRY_COMPARE_WITH_TIMEOUT(sa.clipboard(), kText, 30000);
    // A hovered current row is too faint for OCR in the dark theme: the pointer leaves.
    sa.moveTo(QPoint(kListWidth + 100, sa.window().height() - 10));

    // Back to B's list, which keeps its search: the file's details, and its download.
    toRemoteList(sa, {"zebra"}, {"zebra"});
    STOP_IF_FAILED();
    sa.key({"ctrl+f"});
    sa.key({"ctrl+a"});
    sa.type(QStringLiteral("quarterly"));
    // A match far into a row is brought into view, so the row shows the name, not the folder.
    VERIFY_SCREEN(
        sa,
        sa.waitForText(
            list(sa),
            [](const QString &t) { return t.contains("quarterly") && !t.contains("zebra"); }, 30000,
            &seen),
        seen);
    sa.key({"Tab"});
    VERIFY_SCREEN(sa, sa.waitForWords(details(sa), {"quarterly report.bin"}, 30000, &seen), seen);
    // The download button shows beside a focused path.
    sa.click(QPoint(kListWidth + 42 + 80, kTitle + 21));
    sa.click(QPoint(sa.window().width() - 21, kTitle + 21));
    QString save_dialog;
    QVERIFY(QTest::qWaitFor(
        [&] {
            save_dialog = sa.findWindow(QStringLiteral("Please choose a url"));
            return !save_dialog.isEmpty();
        },
        30000));
    const QString save = a.env().root() + QStringLiteral("/home/report from bravo.bin");
    sa.key({"ctrl+a"});
    sa.type(save);
    sa.key({"Return"});
    VERIFY_SCREEN(sa, sa.waitForWords(dialog(sa), {"downloading"}, 30000, &seen), seen);
    saveShot(sa, QStringLiteral("link-download-dialog"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile(save).size() == body.size(), 60000);
    QCOMPARE(Sha(ReadAll(save)), Sha(body));
    VERIFY_SCREEN(
        sa,
        sa.waitForText(
            dialog(sa), [](const QString &t) { return !t.contains("downloading"); }, 30000, &seen),
        seen);

    // The host button's close glyph drops the link; both bars go.
    const QRect bar = hostBar(sa);
    sa.moveTo(QPoint(kListWidth / 2, bar.y() + 38 + 19));
    sa.click(QPoint(kListWidth - 19, bar.y() + 38 + 19));
    const auto no_names = [](const QString &t) {
        return !t.contains(kNameB) && !t.contains(kNameA);
    };
    VERIFY_SCREEN(sa, sa.waitForText(bar, no_names, 30000, &seen), seen);
    VERIFY_SCREEN(sb, sb.waitForText(hostBar(sb), no_names, 30000, &seen), seen);
}

TOLVANE_TEST_MAIN(TestLinkFromInterface)
#include "tst_link_from_interface.moc"
