#pragma once

#include <QByteArray>
#include <QString>

// The password of an encrypted link is proved, never sent: the client answers the server's
// nonce with an HMAC of the password over both certificates' fingerprints, each side taking
// them from what its own TLS session shows. A relay that ends TLS on both sides shows each
// side another certificate, so its proofs never match.
namespace PasswordProof {
constexpr int kNonceBytes = 32;

QByteArray NewNonce();
QByteArray Compute(const QString &password, const QByteArray &client_fingerprint,
                   const QByteArray &server_fingerprint, const QByteArray &nonce);
// The bytes of text when it is exactly 2 * bytes lower-case hexadecimal digits, else empty:
// nothing else in a nonce or proof is skipped or taken.
QByteArray FromStrictHex(const QString &text, int bytes);
// Compares in time that does not depend on where the two differ.
bool Matches(const QByteArray &expected, const QByteArray &given);
} // namespace PasswordProof

// A short code from the fingerprints of both ends of a link, the same on both hosts
// whichever side connected: "123 456". The users compare it once, at the first link.
QString VerificationCode(const QByteArray &fingerprint_a, const QByteArray &fingerprint_b);
