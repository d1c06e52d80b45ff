// A keyboard for tests on a headless mutter, whose seat has none (so no window would get the
// keyboard focus, nor could the test type): a remote desktop session of mutter's own D-Bus
// interface, driven by lines on standard input, each a chord of X keysym names joined by
// '+' ("Control_L+v"), pressed in order and released in reverse. It prints "ready" once the
// session runs and "ok" after each line, and ends with its input.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>

#include <xkbcommon/xkbcommon.h>

#include <cstdio>
#include <unistd.h>

namespace {
const QString kService = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
const QString kSessionInterface = QStringLiteral("org.gnome.Mutter.RemoteDesktop.Session");

bool Call(const QString &path, const QString &interface, const QString &method,
          const QVariantList &args, QDBusMessage *reply = nullptr)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(args);
    const QDBusMessage answer = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    if (reply)
        *reply = answer;
    if (answer.type() == QDBusMessage::ReplyMessage)
        return true;
    std::fprintf(stderr, "mutter_keyboard: %s: %s\n", qPrintable(method),
                 qPrintable(answer.errorMessage()));
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QDBusMessage created;
    if (!Call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), kService,
              QStringLiteral("CreateSession"), {}, &created) ||
        created.arguments().isEmpty())
        return 1;
    const QString session = created.arguments().constFirst().value<QDBusObjectPath>().path();
    if (!Call(session, kSessionInterface, QStringLiteral("Start"), {}))
        return 1;
    auto key = [&session](const QString &name, bool pressed) {
        const xkb_keysym_t sym =
            xkb_keysym_from_name(name.toUtf8().constData(), XKB_KEYSYM_NO_FLAGS);
        return sym != XKB_KEY_NoSymbol &&
               Call(session, kSessionInterface, QStringLiteral("NotifyKeyboardKeysym"),
                    {uint(sym), pressed});
    };
    std::printf("ready\n");
    std::fflush(stdout);
    QTextStream in(stdin);
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        QString line;
        if (!in.readLineInto(&line)) {
            app.quit();
            return;
        }
        const QStringList chord = line.trimmed().split(QLatin1Char('+'), Qt::SkipEmptyParts);
        bool ok = !chord.isEmpty();
        for (const QString &name : chord)
            ok = ok && key(name, true);
        for (auto it = chord.crbegin(); it != chord.crend(); ++it)
            ok = key(*it, false) && ok;
        std::printf(ok ? "ok\n" : "failed\n");
        std::fflush(stdout);
    });
    return app.exec();
}
