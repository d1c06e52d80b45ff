// A small X clipboard owner for tests and benchmarks. Unlike xclip it offers several
// formats at once, the way real applications offer HTML together with plain text.
//
//   clip_owner --format <mime>=<file-or-text> ... [--image <file>] [--timeout <ms>]
//       Puts one QMimeData holding every given format on the clipboard, prints "ready"
//       once it owns the clipboard and exits when another client takes it over or after
//       the timeout (30 s by default). A value naming an existing file stands for that
//       file's bytes, anything else for its UTF-8 text.
//   clip_owner --serve
//       Reads commands from stdin, one a line: "text <payload>" puts the payload on the
//       clipboard and prints the CLOCK_MONOTONIC time in nanoseconds at which that write
//       returned; "quit" (or the end of input) ends the program.
#include "monotonic_clock.h"
#include "stdin_lines.h"

#include <QClipboard>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int kDefaultTimeoutMs = 30000;

QByteArray ValueBytes(const QString &value)
{
    QFile file(value);
    if (QFileInfo(value).isFile() && file.open(QIODevice::ReadOnly))
        return file.readAll();
    return value.toUtf8();
}

int RunOneShot(QGuiApplication &app, const QCommandLineParser &args)
{
    auto *mime = new QMimeData;
    const QStringList formats = args.values(QStringLiteral("format"));
    for (const QString &f : formats) {
        const int eq = f.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            std::fprintf(stderr, "clip_owner: bad --format %s\n", qPrintable(f));
            delete mime;
            return 2;
        }
        mime->setData(f.left(eq), ValueBytes(f.mid(eq + 1)));
    }
    if (args.isSet(QStringLiteral("image"))) {
        const QImage image(args.value(QStringLiteral("image")));
        if (image.isNull()) {
            std::fprintf(stderr, "clip_owner: cannot read image\n");
            delete mime;
            return 2;
        }
        mime->setImageData(image);
    }

    QClipboard *cb = QGuiApplication::clipboard();
    cb->setMimeData(mime, QClipboard::Clipboard);
    if (!cb->ownsClipboard()) {
        std::fprintf(stderr, "clip_owner: could not take the clipboard\n");
        return 1;
    }
    QObject::connect(cb, &QClipboard::changed, &app, [cb](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !cb->ownsClipboard())
            QCoreApplication::quit();
    });
    bool ok = false;
    int timeout = args.value(QStringLiteral("timeout")).toInt(&ok);
    if (!ok || timeout <= 0)
        timeout = kDefaultTimeoutMs;
    QTimer::singleShot(timeout, &app, &QCoreApplication::quit);
    PrintLine("ready");
    return app.exec();
}

// Serve mode: one command a line on stdin.
void HandleCommand(const QByteArray &line)
{
    if (line == "quit") {
        QCoreApplication::quit();
    } else if (line.startsWith("text ")) {
        auto *mime = new QMimeData;
        mime->setText(QString::fromUtf8(line.mid(5)));
        QGuiApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
        PrintLine(QByteArray::number(MonotonicNs()));
    } else {
        std::fprintf(stderr, "clip_owner: unknown command\n");
        PrintLine("error");
    }
}
} // namespace

int main(int argc, char *argv[])
{
    // Only the X clipboard is of interest, whatever platform the caller's tests use.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);

    QCommandLineParser args;
    args.addOption({QStringLiteral("format"), QStringLiteral("Format and value."),
                    QStringLiteral("mime=value")});
    args.addOption(
        {QStringLiteral("image"), QStringLiteral("Image file."), QStringLiteral("file")});
    args.addOption(
        {QStringLiteral("timeout"), QStringLiteral("Give up after ms."), QStringLiteral("ms")});
    args.addOption({QStringLiteral("serve"), QStringLiteral("Serve commands from stdin.")});
    args.process(app);

    if (args.isSet(QStringLiteral("serve"))) {
        StdinLines input(HandleCommand);
        return app.exec();
    }
    if (!args.isSet(QStringLiteral("format")) && !args.isSet(QStringLiteral("image"))) {
        std::fprintf(stderr, "clip_owner: nothing to offer\n");
        return 2;
    }
    return RunOneShot(app, args);
}
