#include "updater/updater_helper.h"

#include "updater/appcast.h"
#include "updater/bounded_fetch.h"
#include "updater/release_notes.h"
#include "updater/update_feed.h"
#include "updater/updater_logging.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QVersionNumber>

CUpdaterHelper::CUpdaterHelper(QObject *parent) : QObject(parent), m_feedUrl(UpdateFeed::kAddress)
{
}

void CUpdaterHelper::setUpdating(bool updating)
{
    if (m_isUpdating == updating)
        return;
    m_isUpdating = updating;
    emit is_updatingChanged();
}

void CUpdaterHelper::updateSilently()
{
    if (m_isUpdating)
        return;
    setUpdating(true);
    m_deadline = QDeadlineTimer(kCheckBoundMs);
    // A version found earlier answers again without asking the server.
    if (!m_releaseNotes.isEmpty() && !m_downloadLink.isEmpty() && !m_versionText.isEmpty()) {
        emit sigFoundUpdates(m_versionText, m_releaseNotes);
        setUpdating(false);
        return;
    }
    CheckUpdateRes(getRemoteFile(m_feedUrl));
}

void CUpdaterHelper::updateAutomatically()
{
    m_failQuietly = true;
    updateSilently();
    m_failQuietly = false;
}

void CUpdaterHelper::downloadNewVersion()
{
    // The link comes from the web: only a web page may be opened from it, never a local
    // file, a script or another program's scheme.
    const QUrl link(m_downloadLink);
    if (!IsWebAddress(link)) {
        qCWarning(lcUpdater) << Q_FUNC_INFO << __LINE__ << "refused download link"
                             << m_downloadLink;
        return;
    }
    QDesktopServices::openUrl(link);
}

QByteArray CUpdaterHelper::getRemoteFile(const QUrl &url)
{
    // Called on its own (not as part of a check) the fetch still gets the full bound.
    const QDeadlineTimer deadline = m_isUpdating ? m_deadline : QDeadlineTimer(kCheckBoundMs);
    const FetchResult got = FetchBounded(url, deadline, kMaxResponseBytes);
    if (got.failedAtOnce) {
        emit SigGotRemoteFile(QByteArray());
        qCDebug(lcUpdater) << "plugin check error" << got.error;
    } else if (!got.error.isEmpty()) {
        qCWarning(lcUpdater) << Q_FUNC_INFO << __LINE__ << url << got.error;
    }
    return got.body;
}

void CUpdaterHelper::fail(const char *why, const QByteArray &detail)
{
    qCWarning(lcUpdater) << Q_FUNC_INFO << why << detail.left(512);
    if (!m_failQuietly)
        emit sigCheckFailed();
}

void CUpdaterHelper::CheckUpdateRes(const QByteArray &ba)
{
    const Appcast feed = ParseAppcast(ba);
    const QVersionNumber announced = QVersionNumber::fromString(feed.version);
    if (!feed.well_formed) {
        fail("no well-formed appcast", ba);
    } else if (!feed.has_enclosure) {
        fail("appcast without enclosure");
    } else if (announced.segmentCount() == 0) {
        fail("appcast without a version number", feed.version.toUtf8());
    } else {
        const QVersionNumber running =
            QVersionNumber::fromString(QCoreApplication::applicationVersion());
        const int order = QVersionNumber::compare(announced, running);
        if (order == 0) {
            qCDebug(lcUpdater) << "no updates";
            emit sigNoUpdates();
        } else if (order < 0) {
            qCWarning(lcUpdater) << Q_FUNC_INFO << __LINE__ << "announced version" << announced
                                 << "is older than" << running;
        } else {
            evaluateNewer(feed.version, feed.url,
                          feed.has_notes_link ? feed.notes_link : QString());
        }
    }
    setUpdating(false);
}

void CUpdaterHelper::evaluateNewer(const QString &version_text, const QString &link,
                                   const QString &notes_address)
{
    m_downloadLink = link;
    // Without a link that a browser may open there is nothing to offer.
    if (!IsWebAddress(QUrl(link))) {
        qCWarning(lcUpdater) << Q_FUNC_INFO << __LINE__ << "no usable download link" << link;
        return;
    }
    if (notes_address.isEmpty()) {
        qCWarning(lcUpdater) << Q_FUNC_INFO << __LINE__ << "no release notes link";
        return;
    }
    m_versionText = version_text;
    const QByteArray notes = getRemoteFile(QUrl(notes_address));
    if (notes.isEmpty()) {
        m_releaseNotes.clear();
        return;
    }
    m_releaseNotes = RichTextWithoutImages(QString::fromUtf8(notes));
    qCDebug(lcUpdater) << "new update was found";
    emit sigFoundUpdates(m_versionText, m_releaseNotes);
}
