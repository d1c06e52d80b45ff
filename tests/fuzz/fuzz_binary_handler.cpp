// libFuzzer target for the binary negotiation of file transfers, on a link whose password
// passed. The first byte: bit 0 makes this host offer its shared file first (as if asked
// for it); bit 1 makes it ask the peer for its history and for the files of kAsked. The
// rest is a series of binary messages, each a 16-bit little-endian length and its bytes.
// Besides crashes and undefined behaviour it stops on any broken link rule: a file received
// that was not asked for, or outside the host's folder in the transfer folder, a file sent
// that was not offered, too many receivers, or a reply that is not an acceptance.
#include "datasync/tcp_file_reader.h"
#include "datasync/tcp_file_sender.h"
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"
#include "link_fuzz_harness.h"
#include "loopback_link.h"

#include <iterator>

namespace {
const char *const kAsked[] = {"/remote/a.txt", "../../evil.txt", "C:\\x\\..\\evil.bat", "/big.bin"};

void CheckReceivers(const LinkFuzzSession &s, int started, int asked)
{
    if (started > asked)
        Violation("received more files than asked for", QString::number(started));
    const QString inbox = LinkFuzzWorld::instance().transfer_root + QStringLiteral("127.0.0.1/");
    const auto readers = s.parser->findChildren<CTcpFileReader *>();
    if (readers.size() > CTransferAbstract::kMaxReceiversPerLink)
        Violation("too many receivers", QString::number(readers.size()));
    for (const CTcpFileReader *r : readers) {
        const QString name = r->path().mid(inbox.size());
        if (!r->path().startsWith(inbox) || name.isEmpty() || name.contains(QLatin1Char('/')) ||
            name == QLatin1String(".") || name == QLatin1String(".."))
            Violation("received outside the transfer folder", r->path());
    }
}

void CheckSenders(const LinkFuzzSession &s, int offers)
{
    const auto senders = s.parser->findChildren<CTcpFileSender *>();
    if (senders.size() > offers)
        Violation("more senders than offers", QString::number(senders.size()));
    for (const CTcpFileSender *f : senders) {
        if (f->path() != LinkFuzzWorld::instance().shared_file)
            Violation("sent a file never offered", f->path());
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    LinkFuzzSession s(true, true);
    int offers = 0;
    if (bytes.at(0) & 1) {
        s.link->deliverText(TextCommand::FileRequest(LinkFuzzWorld::instance().shared_file, {}));
        offers = s.link->sentBinaries().size();
    }
    int asked = 0;
    if (bytes.at(0) & 2) {
        s.link->deliverText(TextCommand::HostReply(QStringLiteral("box"))); // asks the history
        for (const char *path : kAsked)
            s.parser->DispatchString(s.link, TextCommand::FileRequest(QString::fromUtf8(path), {}));
        asked = int(std::size(kAsked)) + 1;
    }
    int started = 0;
    QObject::connect(s.parser.get(), &CTransferAbstract::sigReaderStarted,
                     [&started] { ++started; });
    const int first_reply = s.link->sentBinaries().size();
    const int first_text = s.link->sentTexts().size();
    for (const QByteArray &msg : SplitRecords(bytes.mid(1))) {
        s.link->deliverBinary(msg);
        CheckReceivers(s, started, asked);
        CheckSenders(s, offers);
    }
    if (s.link->sentTexts().size() > first_text)
        Violation("text reply to a binary message", s.link->sentTexts().at(first_text));
    for (const QByteArray &b : s.link->sentBinaries().mid(first_reply)) {
        if (TransferMessage::Decode(b).kind != TransferMessage::Kind::Acceptance)
            Violation("a reply that is not an acceptance", QString::fromLatin1(b.toHex()));
    }
    return 0;
}
