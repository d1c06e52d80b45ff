#pragma once

#include <QString>

struct LinkSession;

namespace TextCommand {
struct Parsed;
} // namespace TextCommand

// Which files a link may send: only those this host asked for, each once, and the linked
// host's history. A host that follows the protocol announces nothing else, so anything
// else is refused before a byte is written.
namespace ExpectedFiles {

// Requests per link that wait for their file; the oldest is forgotten beyond this.
constexpr int kMaxAskedPerLink = 64;
// History requests a link may owe: the one of the handshake and its retries.
constexpr int kMaxHistoryAsked = 4;

enum class Kind
{
    Unasked,   // refused
    Requested, // a file or image the user asked for
    History    // the linked host's history, asked for or pushed
};

// Records what an outgoing request (history, image or file) will bring; returns the id of a
// file or image request (0 for anything else).
quint64 NoteRequest(LinkSession &session, const TextCommand::Parsed &request);
// Forgets the request of that id when it is still unanswered; false when it was answered.
bool Drop(LinkSession &session, quint64 id);
// The linked host answered a request with an error: it brings nothing for it.
void NoteRefusal(LinkSession &session, const QString &failed_path);
// Classifies an announced path and uses up the request it answers.
Kind Take(LinkSession &session, const QString &announced_path);

} // namespace ExpectedFiles
