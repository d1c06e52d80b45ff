#pragma once

#include <QByteArray>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslKey>
#include <QString>

// This host's key pair and self-signed certificate for encrypted links. Made once, at the
// first start, and kept in a folder of this user alone (the key file 0600); peers know the
// host by the certificate's fingerprint, not by any authority.
class LinkIdentity
{
public:
    static constexpr const char *kKeyFile = "link_key.pem";
    static constexpr const char *kCertificateFile = "link_cert.pem";

    // Loads the pair from dir, or makes and stores a new one when there is none. A null
    // identity, with the reason in problem, when neither works.
    static LinkIdentity LoadOrCreate(const QString &dir, QString *problem = nullptr);

    bool isNull() const { return m_certificate.isNull() || m_key.isNull(); }
    const QSslCertificate &certificate() const { return m_certificate; }
    const QSslKey &key() const { return m_key; }
    QByteArray fingerprint() const { return Fingerprint(m_certificate); }

    // TLS 1.3 with this certificate. No authority signs a host's certificate: a server
    // asks for the client's and leaves the check to the caller; a client has every
    // certificate reported through sslErrors, where it is checked against its pin.
    QSslConfiguration configuration(bool server) const;

    // SHA-256 of the certificate's DER form: what pins and proofs refer to.
    static QByteArray Fingerprint(const QSslCertificate &certificate);
    // The fingerprint of the certificate the errors of a handshake report, empty if none.
    static QByteArray ReportedFingerprint(const QList<QSslError> &errors);

private:
    QSslCertificate m_certificate;
    QSslKey m_key;
};
