#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QUrl>

// One GET of a web address, waited for in a local event loop (the user interface keeps
// running meanwhile). A remote host decides how long and how much it sends, so the fetch
// gives up at the deadline and refuses a body larger than the cap.
struct FetchResult
{
    QByteArray body;   // empty on any failure
    QString error;     // empty on success
    bool failedAtOnce; // the request was refused before anything was sent
};

// Only http and https addresses are fetched: a feed must not make the program read local
// files or other resources.
bool IsWebAddress(const QUrl &url);

FetchResult FetchBounded(const QUrl &url, QDeadlineTimer deadline, qint64 max_bytes);
