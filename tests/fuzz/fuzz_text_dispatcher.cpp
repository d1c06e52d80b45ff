// libFuzzer target for the text command dispatcher. The first byte chooses the link (bit 0:
// incoming, bit 1: password already passed, bit 2: encrypted); the rest is a series of text
// messages split at zero bytes. Besides crashes and undefined behaviour it stops on any
// broken link rule: an answer before the password check, an offer of a file the user did
// not share, a proof on a clear-text link, or an encrypted link let in without the one
// right proof.
#include "datasync/password_proof.h"
#include "datasync/text_command.h"
#include "datasync/transfer_messages.h"
#include "link_fuzz_harness.h"
#include "loopback_link.h"

namespace {
// The one proof an incoming encrypted link accepts: the client's (the peer's) fingerprint
// first.
QString RightProof()
{
    return TextCommand::PasswordProof(PasswordProof::Compute(
        LinkFuzzWorld::instance().password, LinkFuzzSession::peerFingerprint(),
        LinkFuzzSession::localFingerprint(), LinkFuzzSession::nonce()));
}

void CheckStep(const LinkFuzzSession &s, const QString &msg, bool was_trusted, int texts_before,
               int bins_before)
{
    const QStringList texts = s.link->sentTexts().mid(texts_before);
    const QByteArrayList bins = s.link->sentBinaries().mid(bins_before);
    const bool encrypted = s.host->security.encrypted;
    for (const QString &t : texts) {
        if (t.startsWith(QLatin1String("??tag_pwd_")) && !encrypted)
            Violation("proof command on a clear-text link", t);
    }
    if (!was_trusted) {
        const bool now = s.host->session.trusted;
        if (now && encrypted && s.host->from_server && msg != RightProof())
            Violation("encrypted link let in without the right proof", msg);
        QStringList allowed = !now                  ? QStringList{TextCommand::PasswordReply(false)}
                              : s.host->from_server ? QStringList{TextCommand::PasswordReply(true),
                                                                  TextCommand::OsRequest()}
                                                    : QStringList();
        for (const QString &t : texts) {
            // An encrypted client answers the server's nonce, and only that.
            const bool proof = encrypted && !s.host->from_server &&
                               t.startsWith(QLatin1String("??tag_pwd_proof#")) &&
                               TextCommand::Parse(msg).kind == TextCommand::Kind::PasswordNonce;
            if (!allowed.contains(t) && !proof)
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
    LinkFuzzSession s(bytes.at(0) & 1, bytes.at(0) & 2, bytes.at(0) & 4);
    for (const QString &msg : SplitTexts(bytes.mid(1))) {
        const bool was_trusted = s.host->session.trusted;
        const int texts = s.link->sentTexts().size();
        const int bins = s.link->sentBinaries().size();
        s.link->deliverText(msg);
        CheckStep(s, msg, was_trusted, texts, bins);
    }
    return 0;
}
