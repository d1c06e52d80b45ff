#include "link_fuzz_harness.h"

#include "item/storage_paths.h"
#include "loopback_link.h"
#include "test_items.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

namespace {
void Silence(QtMsgType, const QMessageLogContext &, const QString &) {}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        Violation("set-up", path);
}
} // namespace

LinkFuzzWorld &LinkFuzzWorld::instance()
{
    static LinkFuzzWorld *world = [] {
        // A fixed folder, so that seeds and found inputs can name the shared file. Private
        // folders are set before anything asks the toolkit where they are.
        const QString root = QStringLiteral("/tmp/tolvane-link-fuzz");
        for (const char *var : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME", "TMPDIR"})
            qputenv(var, QFile::encodeName(root + QLatin1Char('/') + QLatin1String(var)));
        static int argc = 1;
        static char name[] = "fuzz";
        static char *argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Marden"));
        QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
        qInstallMessageHandler(Silence);

        auto *w = new LinkFuzzWorld;
        w->password = QStringLiteral("pw");
        w->transfer_root = root + QStringLiteral("/transfer/");
        w->shared_file = root + QStringLiteral("/shared/a.txt");
        QDir().mkpath(QFileInfo(w->shared_file).path());
        WriteBytes(w->shared_file, "shared");
        w->clip.prependItem(FileListItem({QUrl::fromLocalFile(w->shared_file)}));
        w->image_key = QStringLiteral("0123456789abcdef0123456789abcdef");
        QDir().mkpath(StoragePaths::ClipboardDir());
        WriteBytes(StoragePaths::ImgPath(w->image_key), "png");
        return w;
    }();
    return *world;
}

// Both link fuzzers build their world before the first input.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    LinkFuzzWorld::instance();
    return 0;
}

LocalShare LinkFuzzWorld::share()
{
    return LocalShare{&clip, &pin, [this] { return password; }, transfer_root, QString(), {}};
}

bool LinkFuzzWorld::isOfferable(const QString &path) const
{
    return path == QFileInfo(transfer_root + QStringLiteral("history")).absoluteFilePath() ||
           path == StoragePaths::ImgPath(image_key) || path == shared_file;
}

LinkFuzzSession::LinkFuzzSession(bool incoming, bool trusted, bool encrypted)
{
    LinkFuzzWorld &world = LinkFuzzWorld::instance();
    parser = std::make_unique<CTransferParser>(&hosts, world.share());
    const QString local = QStringLiteral("127.0.0.1");
    link = CLoopbackLink::makePair(local, local, parser.get()).first;
    QObject::connect(link, &CPeerLink::textReceived, parser.get(),
                     &CTransferParser::onTextReceived);
    QObject::connect(link, &CPeerLink::binaryReceived, parser.get(),
                     &CTransferParser::onBinaryReceived);
    host = hosts.add(link, new CCilpboardListModel(parser.get()), QString(), incoming);
    host->session.trusted = trusted;
    host->pwd = incoming ? QString() : world.password;
    if (encrypted) {
        host->security.encrypted = true;
        host->security.local_fingerprint = localFingerprint();
        host->security.peer_fingerprint = peerFingerprint();
        if (incoming)
            host->security.nonce = nonce();
    }
}

LinkFuzzSession::~LinkFuzzSession()
{
    hosts.clear();
    parser.reset();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void Violation(const char *rule, const QString &detail)
{
    std::fprintf(stderr, "link rule broken: %s: %s\n", rule, qPrintable(detail.left(300)));
    std::abort();
}

QStringList SplitTexts(const QByteArray &data)
{
    QStringList out;
    for (const QByteArray &part : data.split('\0'))
        out.append(QString::fromUtf8(part));
    return out;
}

QByteArrayList SplitRecords(const QByteArray &data)
{
    QByteArrayList out;
    int pos = 0;
    while (pos + 2 <= data.size()) {
        const int len = int(uchar(data.at(pos))) | int(uchar(data.at(pos + 1))) << 8;
        pos += 2;
        out.append(data.mid(pos, len));
        pos += len;
    }
    return out;
}
