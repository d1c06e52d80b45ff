#include "updater/bounded_fetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
constexpr int kMaxRedirects = 5;
} // namespace

bool IsWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

FetchResult FetchBounded(const QUrl &url, QDeadlineTimer deadline, qint64 max_bytes)
{
    FetchResult result{{}, {}, false};
    if (!IsWebAddress(url)) {
        result.error = QStringLiteral("not a web address: ") + url.toString();
        result.failedAtOnce = true;
        return result;
    }

    QEventLoop loop;
    auto *nam = new QNetworkAccessManager(&loop);
    QNetworkRequest request(url);
    // Redirects are followed, but never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    QNetworkReply *reply = nam->get(request);
    if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
        result.failedAtOnce = true;
        return result;
    }

    QByteArray body;
    QString refusal;
    const auto refuse = [&](const QString &why) {
        if (refusal.isEmpty())
            refusal = why;
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > max_bytes)
            refuse(QStringLiteral("response larger than %1 bytes").arg(max_bytes));
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > max_bytes)
            refuse(QStringLiteral("response larger than %1 bytes").arg(max_bytes));
    });
    QTimer limit;
    limit.setSingleShot(true);
    // A coarse timer may fire 5 % early or late; the bound is a promise to the user.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop,
                     [&] { refuse(QStringLiteral("no complete answer in time")); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!deadline.isForever())
        limit.start(int(qMax<qint64>(0, deadline.remainingTime())));

    if (!reply->isFinished())
        loop.exec();

    if (!refusal.isEmpty()) {
        result.error = refusal;
    } else if (reply->error() != QNetworkReply::NoError) {
        result.error = reply->errorString();
    } else {
        body += reply->readAll();
        if (body.size() > max_bytes)
            result.error = QStringLiteral("response larger than %1 bytes").arg(max_bytes);
        else
            result.body = body;
    }
    return result;
}
