// libFuzzer target for the text command dispatcher. The first byte chooses the link (bit 0:
// incoming, bit 1: password already passed); the rest is a series of text messages split
// at zero bytes. Besides crashes and undefined behaviour it stops on any broken link rule:
// an answer before the password check, or an offer of a file the user did not share.
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"
#include "link_fuzz_harness.h"
#include "loopback_link.h"

namespace {
void CheckStep(const LinkFuzzSession &s, bool was_trusted, int texts_before, int bins_before)
{
    const QStringList texts = s.link->sentTexts().mid(texts_before);
    const QByteArrayList bins = s.link->sentBinaries().mid(bins_before);
    if (!was_trusted) {
        const bool now = s.host->session.trusted;
        const QStringList allowed =
            !now ? QStringList{TextCommand::PasswordReply(false)}
            : s.host->from_server
                ? QStringList{TextCommand::PasswordReply(true), TextCommand::OsRequest()}
                : QStringList();
        for (const QString &t : texts) {
            if (!allowed.contains(t))
                Violation("answer before the password check", t);
        }
        if (!bins.isEmpty())
            Violation("binary before the password check", QString::number(bins.size()));
    }
    for (const QByteArray &b : bins) {
        const TransferMessage::Decoded d = TransferMessage::Decode(b);
        if (d.kind != TransferMessage::Kind::Announcement)
            Violation("the dispatcher only announces files", QString::fromLatin1(b.toHex()));
        if (!LinkFuzzWorld::instance().isOfferable(d.announcement.path))
            Violation("offered a file nobody shared", d.announcement.path);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    LinkFuzzSession s(bytes.at(0) & 1, bytes.at(0) & 2);
    for (const QString &msg : SplitTexts(bytes.mid(1))) {
        const bool was_trusted = s.host->session.trusted;
        const int texts = s.link->sentTexts().size();
        const int bins = s.link->sentBinaries().size();
        s.link->deliverText(msg);
        CheckStep(s, was_trusted, texts, bins);
    }
    return 0;
}
