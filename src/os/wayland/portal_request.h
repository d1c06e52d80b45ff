#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantList>
#include <QVariantMap>

// One call of an xdg-desktop-portal method that answers later, through the Response signal
// of a Request object (the desktop may first ask the user). The answer arrives as
// sigAnswered; a portal that is missing or fails the call answers with kFailed at once
// (queued). The request deletes itself after answering.
class CPortalRequest : public QObject
{
    Q_OBJECT
public:
    static constexpr uint kSuccess = 0;
    static constexpr uint kCancelled = 1;
    static constexpr uint kFailed = 2;

    // `args` are the method's arguments; the options (a{sv}) that end every such method are
    // given apart, and get the handle token.
    CPortalRequest(const QDBusConnection &bus, const QString &interface, const QString &method,
                   const QVariantList &args, QVariantMap options, QObject *parent = nullptr);

    // Waits, serving events, until the answer came or timeout_ms passed (kFailed then).
    static uint Wait(CPortalRequest *request, QVariantMap *results, int timeout_ms);

signals:
    void sigAnswered(uint response, const QVariantMap &results);

private slots:
    void onResponse(uint response, const QVariantMap &results);

private:
    void listenOn(const QString &path);
    void answer(uint response, const QVariantMap &results);

    QDBusConnection m_bus;
    QString m_path;
    bool m_answered = false;
};

namespace Portal {
extern const char kService[];
extern const char kPath[];
// Whether the desktop's portal offers `interface` (it answers for its version property).
bool Offers(const QDBusConnection &bus, const QString &interface);
// A token for object paths that is unique within this process.
QString NewToken();
} // namespace Portal
