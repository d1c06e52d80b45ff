#include "datasync/password_proof.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace PasswordProof {

QByteArray NewNonce()
{
    QByteArray nonce(kNonceBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(nonce.begin(), nonce.end());
    return nonce;
}

QByteArray Compute(const QString &password, const QByteArray &client_fingerprint,
                   const QByteArray &server_fingerprint, const QByteArray &nonce)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password.toUtf8());
    mac.addData(QByteArrayLiteral("tolvane link password proof 1"));
    mac.addData(client_fingerprint);
    mac.addData(server_fingerprint);
    mac.addData(nonce);
    return mac.result();
}

QByteArray FromStrictHex(const QString &text, int bytes)
{
    if (text.size() != 2 * bytes)
        return QByteArray();
    for (const QChar c : text) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return QByteArray();
    }
    return QByteArray::fromHex(text.toLatin1());
}

bool Matches(const QByteArray &expected, const QByteArray &given)
{
    if (expected.size() != given.size() || expected.isEmpty())
        return false;
    unsigned char diff = 0;
    for (int i = 0; i < expected.size(); ++i)
        diff |= static_cast<unsigned char>(expected.at(i) ^ given.at(i));
    return diff == 0;
}
} // namespace PasswordProof

QString VerificationCode(const QByteArray &fingerprint_a, const QByteArray &fingerprint_b)
{
    if (fingerprint_a.isEmpty() || fingerprint_b.isEmpty())
        return QString();
    const bool a_first = fingerprint_a < fingerprint_b;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayLiteral("tolvane link code 1"));
    hash.addData(a_first ? fingerprint_a : fingerprint_b);
    hash.addData(a_first ? fingerprint_b : fingerprint_a);
    const QByteArray h = hash.result();
    quint32 n = 0;
    for (int i = 0; i < 4; ++i)
        n = (n << 8) | static_cast<unsigned char>(h.at(i));
    const QString digits = QStringLiteral("%1").arg(n % 1000000, 6, 10, QLatin1Char('0'));
    return digits.left(3) + QLatin1Char(' ') + digits.mid(3);
}
