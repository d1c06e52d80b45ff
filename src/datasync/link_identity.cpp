#include "datasync/link_identity.h"

#include "datasync/datasync_logging.h"
#include "os/private_storage.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSslSocket>

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <cstdio>
#include <memory>

namespace {
template <typename T, void (*Free)(T *)> struct Deleter
{
    void operator()(T *p) const { Free(p); }
};
using PKeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using X509Ptr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

constexpr long kValidSeconds = 20L * 365 * 24 * 3600;

QByteArray BioBytes(BIO *bio)
{
    char *data = nullptr;
    const long len = BIO_get_mem_data(bio, &data);
    return len > 0 ? QByteArray(data, int(len)) : QByteArray();
}

// An EC P-256 key and a certificate for it, signed with itself, as PEM.
bool MakePair(QByteArray &key_pem, QByteArray &cert_pem)
{
    PKeyPtr key(EVP_EC_gen("P-256"));
    X509Ptr cert(X509_new());
    if (!key || !cert)
        return false;
    X509_set_version(cert.get(), 2);
    unsigned char serial[16];
    if (!RAND_bytes(serial, sizeof serial))
        return false;
    serial[0] &= 0x7f; // a positive number
    BIGNUM *bn = BN_bin2bn(serial, sizeof serial, nullptr);
    ASN1_INTEGER *sn = BN_to_ASN1_INTEGER(bn, X509_get_serialNumber(cert.get()));
    BN_free(bn);
    if (!sn)
        return false;
    // Clocks of linked hosts may differ by some hours.
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSeconds);
    X509_set_pubkey(cert.get(), key.get());
    X509_NAME *name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char *>("Tolvane link"), -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);
    if (X509_sign(cert.get(), key.get(), EVP_sha256()) <= 0)
        return false;
    BioPtr key_bio(BIO_new(BIO_s_mem()));
    BioPtr cert_bio(BIO_new(BIO_s_mem()));
    if (!key_bio || !cert_bio ||
        !PEM_write_bio_PrivateKey(key_bio.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                  nullptr) ||
        !PEM_write_bio_X509(cert_bio.get(), cert.get()))
        return false;
    key_pem = BioBytes(key_bio.get());
    cert_pem = BioBytes(cert_bio.get());
    return !key_pem.isEmpty() && !cert_pem.isEmpty();
}

// Created 0600 before anything is written into it, and put in place whole, so that a reader
// never sees half a key.
bool WritePrivate(const QString &path, const QByteArray &bytes)
{
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    if (!PrivateStorage::MakePrivateFile(part))
        return false;
    QFile f(part);
    const bool written = f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (!written || std::rename(QFile::encodeName(part).constData(),
                                QFile::encodeName(path).constData()) != 0) {
        QFile::remove(part);
        return false;
    }
    return true;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    // Both files are a few hundred bytes; anything large is not ours.
    return f.open(QIODevice::ReadOnly) && f.size() < 64 * 1024 ? f.readAll() : QByteArray();
}
} // namespace

LinkIdentity LinkIdentity::LoadOrCreate(const QString &dir, QString *problem)
{
    LinkIdentity id;
    QString why;
    if (!PrivateStorage::MakePrivateFolder(dir, &why)) {
        if (problem)
            *problem = why;
        return id;
    }
    const QString key_path = QDir(dir).filePath(QLatin1String(kKeyFile));
    const QString cert_path = QDir(dir).filePath(QLatin1String(kCertificateFile));
    QByteArray key_pem = ReadAll(key_path);
    QByteArray cert_pem = ReadAll(cert_path);
    if (key_pem.isEmpty() || cert_pem.isEmpty()) {
        if (!MakePair(key_pem, cert_pem) || !WritePrivate(key_path, key_pem) ||
            !WritePrivate(cert_path, cert_pem)) {
            if (problem)
                *problem = QStringLiteral("cannot make or store the link key pair in ") + dir;
            return id;
        }
        qCInfo(lcDataSync) << "made a new link key pair in" << dir;
    }
    PrivateStorage::MakePrivateFile(key_path); // an older copy may be readable by others
    id.m_key = QSslKey(key_pem, QSsl::Ec, QSsl::Pem, QSsl::PrivateKey);
    id.m_certificate = QSslCertificate(cert_pem, QSsl::Pem);
    if (id.isNull() && problem)
        *problem = QStringLiteral("the link key pair in %1 is not readable").arg(dir);
    return id;
}

QSslConfiguration LinkIdentity::configuration(bool server) const
{
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setProtocol(QSsl::TlsV1_3);
    config.setLocalCertificate(m_certificate);
    config.setPrivateKey(m_key);
    // No authority vouches for a host: every certificate is checked against its pin, and an
    // empty list of authorities makes sure each one is reported for that check.
    config.setCaCertificates({});
    config.setPeerVerifyMode(server ? QSslSocket::QueryPeer : QSslSocket::VerifyPeer);
    return config;
}

QByteArray LinkIdentity::Fingerprint(const QSslCertificate &certificate)
{
    return certificate.isNull()
               ? QByteArray()
               : QCryptographicHash::hash(certificate.toDer(), QCryptographicHash::Sha256);
}

QByteArray LinkIdentity::ReportedFingerprint(const QList<QSslError> &errors)
{
    for (const QSslError &e : errors) {
        if (!e.certificate().isNull())
            return Fingerprint(e.certificate());
    }
    return QByteArray();
}
