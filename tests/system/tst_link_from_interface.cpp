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

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QUrl>

namespace {
const QString kPrefix = QStringLiteral("tlv14");
const QString kSubnet = QStringLiteral("10.214.0");
const QString kNameA = QStringLiteral("alpha-host");
const QString kNameB = QStringLiteral("bravo-host");
const QString kPassword = QStringLiteral("open sesame");
const QString kText = QStringLiteral("zebra crossing from bravo");
// Nobody has this address: linking to it fails after the neighbour look-up.
const QString kNobody = kSubnet + QStringLiteral(".9");

// Fixed places of the main window (no compositor, so no shadow margin).
constexpr int kTitle = 52;
constexpr int kListWidth = 350;
constexpr int kBarHeight = 76;
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

QByteArray Sha(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestLinkFromInterface : public QObject
{
    Q_OBJECT

private:
    QRect dialog(const HostScreen &s) const
    {
        const QRect w = s.window();
        return QRect((w.width() - kDialogWidth) / 2, (w.height() - kDialogHeight) / 2,
                     kDialogWidth, kDialogHeight);
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
    QRect titleBar(const HostScreen &s) const
    {
        return QRect(0, 0, s.window().width(), kTitle);
    }
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
    // On the "Connect" tab: the address, the password, then the connect button.
    void connectTo(HostScreen &s, const QString &ip, const QString &pwd)
    {
        const QRect d = dialog(s);
        s.click(d.topLeft() + QPoint(d.width() * 3 / 4, 24));
        s.click(d.topLeft() + QPoint(100, 48 + 12 + 24));
        s.key({"ctrl+a"});
        s.type(ip);
        s.key({"Tab"});
        s.key({"ctrl+a"});
        s.type(pwd);
        s.click(d.topLeft() + QPoint(d.width() - 24 - 20, 48 + 12 + 24));
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
    QString why;
    QVERIFY2(a.start(&why), qPrintable(why));
    QVERIFY2(b.start(&why), qPrintable(why));
    // B sends at a few MiB per second, so that a download takes a few seconds.
    QVERIFY(NetnsPair::runIp({"netns", "exec", net.nameB(), "tc", "qdisc", "add", "dev",
                              net.deviceB(), "root", "tbf", "rate", "24mbit", "burst", "64kbit",
                              "latency", "400ms"}));

    // What B has copied: a text, and a file whose bytes only B holds.
    QByteArray body(3 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(body.data()),
                                          body.size() / 4);
    const QString file = b.env().root() + QStringLiteral("/home/quarterly report.bin");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(body);
    f.close();
    QVERIFY(b.copy("UTF8_STRING", kText.toUtf8()));
    QTest::qWait(1000);
    QVERIFY(b.copy("text/uri-list", QUrl::fromLocalFile(file).toEncoded() + "\r\n"));

    HostScreen sa(a);
    HostScreen sb(b);
    QVERIFY2(sa.showMainWindow(), qPrintable(a.log()));
    QVERIFY2(sb.showMainWindow(), qPrintable(b.log()));
    QString seen;
    QVERIFY2(sb.waitForWords(list(sb), {"zebra", "quarterly"}, 60000, &seen), qPrintable(seen));
    // Nothing linked: no host bar.
    QVERIFY2(!sa.read(hostBar(sa)).contains(kNameA), "no host bar before linking");

    // The dialog: first an address nobody has, then the wrong password.
    openConnectionDialog(sa);
    saveShot(sa, QStringLiteral("link-dialog-form"));
    connectTo(sa, kNobody, kPassword);
    QVERIFY2(sa.waitForWords(dialog(sa), {"connecting"}, 10000, &seen), qPrintable(seen));
    saveShot(sa, QStringLiteral("link-dialog-connecting"));
    QVERIFY2(sa.waitForText(
                 dialog(sa),
                 [](const QString &t) { return t.contains("unreachable") || t.contains("timed out"); },
                 60000, &seen),
             qPrintable(seen));
    dialogButton(sa); // Cancel: back to the form
    QVERIFY2(sa.waitForWords(dialog(sa), {"local", "connect"}, 30000, &seen), qPrintable(seen));

    connectTo(sa, net.addressB(), QStringLiteral("not the password"));
    QVERIFY2(sa.waitForWords(dialog(sa), {"password incorrect"}, 60000, &seen),
             qPrintable(seen));
    saveShot(sa, QStringLiteral("link-dialog-failed"));
    dialogButton(sa);
    QVERIFY2(sa.waitForWords(dialog(sa), {"local", "connect"}, 30000, &seen), qPrintable(seen));

    // The right password: the dialog closes and both host bars show both machines.
    connectTo(sa, net.addressB(), kPassword);
    QVERIFY2(sa.waitForWords(hostBar(sa), {kNameA, kNameB}, 60000, &seen), qPrintable(seen));
    QVERIFY2(sb.waitForWords(hostBar(sb), {kNameB, kNameA}, 60000, &seen), qPrintable(seen));
    saveShot(sa, QStringLiteral("link-host-bar"));

    // Right twice: the Pin view, then B's list, with its own search field.
    sa.key({"Right"});
    sa.key({"Right"});
    QVERIFY2(sa.waitForWords(list(sa), {"zebra", "quarterly"}, 30000, &seen), qPrintable(seen));
    QVERIFY2(sa.waitForWords(titleBar(sa), {"search", net.addressB()}, 30000, &seen),
             qPrintable(seen));
    saveShot(sa, QStringLiteral("link-remote-list"));

    // A search in B's list, then its first row to the clipboard.
    sa.key({"ctrl+f"});
    sa.type(QStringLiteral("zebra"));
    QVERIFY2(sa.waitForText(
                 list(sa),
                 [](const QString &t) { return t.contains("zebra") && !t.contains("quarterly"); },
                 30000, &seen),
             qPrintable(seen));
    sa.key({"Tab", "space"});
    QTRY_COMPARE_WITH_TIMEOUT(sa.clipboard(), kText, 30000);

    // Back to B's list: the file's details, and its download.
    sa.key({"Right"});
    sa.key({"Right"});
    sa.key({"ctrl+f"});
    sa.key({"ctrl+a"});
    sa.type(QStringLiteral("quarterly"));
    QVERIFY2(sa.waitForText(
                 list(sa),
                 [](const QString &t) { return t.contains("quarterly") && !t.contains("zebra"); },
                 30000, &seen),
             qPrintable(seen));
    sa.key({"Tab"});
    QVERIFY2(sa.waitForWords(details(sa), {"quarterly report.bin"}, 30000, &seen),
             qPrintable(seen));
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
    QVERIFY2(sa.waitForWords(dialog(sa), {"downloading"}, 30000, &seen), qPrintable(seen));
    saveShot(sa, QStringLiteral("link-download-dialog"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile(save).size() == body.size(), 60000);
    QCOMPARE(Sha(ReadAll(save)), Sha(body));
    QVERIFY2(sa.waitForText(
                 dialog(sa), [](const QString &t) { return !t.contains("downloading"); }, 30000,
                 &seen),
             qPrintable(seen));

    // The host button's close glyph drops the link; both bars go.
    const QRect bar = hostBar(sa);
    sa.moveTo(QPoint(kListWidth / 2, bar.y() + 38 + 19));
    sa.click(QPoint(kListWidth - 19, bar.y() + 38 + 19));
    QVERIFY2(sa.waitForText(
                 bar, [](const QString &t) { return !t.contains(kNameB) && !t.contains(kNameA); },
                 30000, &seen),
             qPrintable(seen));
    QVERIFY2(sb.waitForText(
                 hostBar(sb),
                 [](const QString &t) { return !t.contains(kNameB) && !t.contains(kNameA); },
                 30000, &seen),
             qPrintable(seen));
}

TOLVANE_TEST_MAIN(TestLinkFromInterface)
#include "tst_link_from_interface.moc"
