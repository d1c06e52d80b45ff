// A Wayland clipboard owner for tests that offers several formats at once (wl-copy offers
// one), through the data-control protocol, so it needs no window and no focus.
//
//   wayland_clip_owner <mime>=<text> ... [--timeout <ms>]
//       Puts one QMimeData holding every given format on the clipboard, prints "ready" once
//       the compositor hands the offer back, and exits when another client takes the
//       clipboard over or after the timeout (30 s by default).
#include <KSystemClipboard>

#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kDefaultTimeoutMs = 30000;
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "wayland");
    QGuiApplication app(argc, argv);
    QStringList formats = app.arguments().mid(1);
    int timeout = kDefaultTimeoutMs;
    const int at = formats.indexOf(QStringLiteral("--timeout"));
    if (at >= 0 && at + 1 < formats.size()) {
        timeout = formats.at(at + 1).toInt();
        formats.erase(formats.begin() + at, formats.begin() + at + 2);
    }
    auto *mime = new QMimeData;
    for (const QString &f : qAsConst(formats)) {
        const int eq = f.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            std::fprintf(stderr, "wayland_clip_owner: bad format %s\n", qPrintable(f));
            return 2;
        }
        mime->setData(f.left(eq), f.mid(eq + 1).toUtf8());
    }
    KSystemClipboard *cb = KSystemClipboard::instance();
    bool announced = false;
    QObject::connect(cb, &KSystemClipboard::changed, &app, [&](QClipboard::Mode mode) {
        if (mode != QClipboard::Clipboard)
            return;
        if (cb->mimeData(QClipboard::Clipboard) != mime) {
            if (announced)
                QCoreApplication::quit();
            return;
        }
        if (!announced) {
            announced = true;
            std::puts("ready");
            std::fflush(stdout);
        }
    });
    cb->setMimeData(mime, QClipboard::Clipboard);
    QTimer::singleShot(timeout, &app, &QCoreApplication::quit);
    return app.exec();
}
