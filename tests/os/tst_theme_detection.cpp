// Dark-theme detection against a real dbus-daemon: a settings portal of the test's own
// answers on a private session bus, and the GNOME and GTK fallbacks run for real.
#include "os/os_abstract.h"
#include "private_session_bus.h"
#include "threaded_bus_service.h"

#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

namespace {
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// A portal before version 2: only Read, whose value comes wrapped in a second variant.
class OldSettingsPortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit OldSettingsPortal(uint scheme, int delay_ms = 0)
        : m_scheme(scheme), m_delayMs(delay_ms)
    {
    }

public slots:
    QDBusVariant Read(const QString &name_space, const QString &key)
    {
        if (m_delayMs)
            QThread::msleep(m_delayMs);
        if (name_space != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme"))
            return QDBusVariant(QVariant::fromValue(QDBusVariant(QStringLiteral("wrong key"))));
        return QDBusVariant(QVariant::fromValue(QDBusVariant(m_scheme)));
    }

protected:
    uint m_scheme;
    int m_delayMs;
};

// A current portal: ReadOne gives the value in one variant.
class SettingsPortal : public OldSettingsPortal
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    using OldSettingsPortal::OldSettingsPortal;

public slots:
    QDBusVariant ReadOne(const QString &name_space, const QString &key)
    {
        if (name_space != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme"))
            return QDBusVariant(QStringLiteral("wrong key"));
        return QDBusVariant(m_scheme);
    }
};
} // namespace

class TestThemeDetection : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void portalDecides_data();
    void portalDecides();
    void withoutPortal_data();
    void withoutPortal();
    void gnomeColorScheme();
    void stuckPortalDoesNotHang();
};

void TestThemeDetection::init()
{
    // Each case sets up exactly the sources it means to have.
    qunsetenv("GTK_THEME");
    qputenv("GSETTINGS_BACKEND", "memory");
}

void TestThemeDetection::portalDecides_data()
{
    QTest::addColumn<bool>("old_portal");
    QTest::addColumn<uint>("scheme");
    QTest::addColumn<QByteArray>("gtk_theme");
    QTest::addColumn<bool>("dark");
    QTest::newRow("ReadOne, prefer dark") << false << 1u << QByteArray() << true;
    QTest::newRow("Read only, prefer dark") << true << 1u << QByteArray() << true;
    QTest::newRow("ReadOne, no preference") << false << 0u << QByteArray() << false;
    QTest::newRow("Read only, no preference") << true << 0u << QByteArray() << false;
    QTest::newRow("prefer light beats GTK_THEME")
        << false << 2u << QByteArray("Adwaita:dark") << false;
    QTest::newRow("no preference leaves it to GTK_THEME")
        << false << 0u << QByteArray("Adwaita:dark") << true;
}

void TestThemeDetection::portalDecides()
{
    QFETCH(bool, old_portal);
    QFETCH(uint, scheme);
    QFETCH(QByteArray, gtk_theme);
    QFETCH(bool, dark);
    if (!gtk_theme.isEmpty())
        qputenv("GTK_THEME", gtk_theme);
    QObject *portal = old_portal ? new OldSettingsPortal(scheme) : new SettingsPortal(scheme);
    ThreadedBusService service(kPortalService, kPortalPath, portal);
    QVERIFY(service.isRegistered());
    QCOMPARE(OsInstance()->IsSystemDarkTheme(), dark);
}

void TestThemeDetection::withoutPortal_data()
{
    QTest::addColumn<QByteArray>("gtk_theme");
    QTest::addColumn<bool>("dark");
    QTest::newRow("nothing") << QByteArray() << false;
    QTest::newRow("GTK_THEME dark variant") << QByteArray("Adwaita:dark") << true;
    QTest::newRow("GTK_THEME light") << QByteArray("Adwaita") << false;
    QTest::newRow("GTK_THEME dark name, no variant") << QByteArray("Adwaita-dark") << false;
}

void TestThemeDetection::withoutPortal()
{
    QFETCH(QByteArray, gtk_theme);
    QFETCH(bool, dark);
    if (!gtk_theme.isEmpty())
        qputenv("GTK_THEME", gtk_theme);
    QCOMPARE(OsInstance()->IsSystemDarkTheme(), dark);
}

void TestThemeDetection::gnomeColorScheme()
{
    const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
    if (gsettings.isEmpty())
        QSKIP("gsettings is not installed");
    // The keyfile backend keeps the value in this test's own configuration folder.
    qputenv("GSETTINGS_BACKEND", "keyfile");
    const QStringList key{QStringLiteral("org.gnome.desktop.interface"),
                          QStringLiteral("color-scheme")};
    auto set = [&](const QString &value) {
        return QProcess::execute(gsettings,
                                 QStringList{QStringLiteral("set")} + key + QStringList{value});
    };
    if (set(QStringLiteral("prefer-dark")) != 0)
        QSKIP("the GNOME interface schema has no color-scheme key here");
    QVERIFY(OsInstance()->IsSystemDarkTheme());
    QCOMPARE(set(QStringLiteral("prefer-light")), 0);
    QVERIFY(!OsInstance()->IsSystemDarkTheme());
    // A portal that states a preference wins over the GNOME setting.
    QCOMPARE(set(QStringLiteral("prefer-dark")), 0);
    ThreadedBusService service(kPortalService, kPortalPath, new SettingsPortal(2));
    QVERIFY(service.isRegistered());
    QVERIFY(!OsInstance()->IsSystemDarkTheme());
}

void TestThemeDetection::stuckPortalDoesNotHang()
{
    // A portal that takes far too long to answer is treated as absent.
    qputenv("GTK_THEME", "Adwaita:dark");
    ThreadedBusService service(kPortalService, kPortalPath, new OldSettingsPortal(2, 4000));
    QVERIFY(service.isRegistered());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(OsInstance()->IsSystemDarkTheme());
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
}

TOLVANE_TEST_MAIN_PRIVATE_BUS(TestThemeDetection)
#include "tst_theme_detection.moc"
