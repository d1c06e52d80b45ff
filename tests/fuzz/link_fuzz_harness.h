#pragma once

#include "clipboard/clipboard_list_model.h"
#include "datasync/host_container.h"
#include "datasync/local_share.h"
#include "datasync/transfer_parser.h"

#include <QByteArrayList>

#include <memory>

class CLoopbackLink;

// What the link fuzzers share: an application object, private folders, and a host that
// shares one file and one stored image. Made once per process.
struct LinkFuzzWorld
{
    static LinkFuzzWorld &instance();

    LocalShare share();
    // The only files this host may ever offer: its history, its stored image, its file.
    bool isOfferable(const QString &path) const;

    QString password;
    QString shared_file;
    QString image_key;
    QString transfer_root;
    CCilpboardListModel clip;
    CCilpboardListModel pin;
};

// One link for one input: a dispatcher, a host record and the link whose far end the input
// plays. Everything is torn down, and pending events run, when it goes.
struct LinkFuzzSession
{
    // encrypted: the link came over TLS with the fingerprints and nonce below.
    LinkFuzzSession(bool incoming, bool trusted, bool encrypted = false);
    static QByteArray localFingerprint() { return QByteArray(32, 'L'); }
    static QByteArray peerFingerprint() { return QByteArray(32, 'P'); }
    static QByteArray nonce() { return QByteArray(32, 'N'); }
    ~LinkFuzzSession();

    HostContainer hosts;
    std::unique_ptr<CTransferParser> parser;
    CLoopbackLink *link = nullptr;
    HostInfo *host = nullptr;
};

// Stops the run: a fuzzer found a way around a rule of the link.
[[noreturn]] void Violation(const char *rule, const QString &detail);

// The input split at zero bytes, each part one text message.
QStringList SplitTexts(const QByteArray &data);
// The input as records of a 16-bit little-endian length and that many bytes.
QByteArrayList SplitRecords(const QByteArray &data);
