#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QUrl>

// Finds out whether a newer version is published (m_updater): reads the appcast, compares
// its version with the running one, fetches the release notes of a newer one and reports
// by signals. It opens the download link in the browser on request; it never downloads or
// installs anything itself.
class CUpdaterHelper : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool is_updating READ isUpdating WRITE setUpdating NOTIFY is_updatingChanged)
public:
    // A whole check, feed and release notes together, ends within this time.
    static constexpr int kCheckBoundMs = 15000;
    // Neither the feed nor the notes may be larger.
    static constexpr qint64 kMaxResponseBytes = 1024 * 1024;

    explicit CUpdaterHelper(QObject *parent = nullptr);

    // The feed address is fixed; tests point the checker at a server of their own.
    void setFeedUrl(const QUrl &url) { m_feedUrl = url; }

    bool isUpdating() const { return m_isUpdating; }
    void setUpdating(bool updating);

    Q_INVOKABLE void updateSilently();
    // The check at start-up: as updateSilently, but a failure goes to the log only, since
    // the user asked for nothing.
    void updateAutomatically();
    Q_INVOKABLE void downloadNewVersion();

signals:
    void is_updatingChanged();
    void sigCheckFailed();
    void sigNoUpdates();
    void sigFoundUpdates(const QString &version_num, const QString &relnote_html);
    void SigGotRemoteFile(const QByteArray &ba);

public slots:
    void CheckUpdateRes(const QByteArray &ba);

private:
    QByteArray getRemoteFile(const QUrl &url);
    void fail(const char *why, const QByteArray &detail = QByteArray());
    void evaluateNewer(const QString &version_text, const QString &link,
                       const QString &notes_address);

    QUrl m_feedUrl;
    bool m_isUpdating = false;
    bool m_failQuietly = false;
    QDeadlineTimer m_deadline;
    QString m_downloadLink;
    QString m_releaseNotes;
    QString m_versionText;
};
