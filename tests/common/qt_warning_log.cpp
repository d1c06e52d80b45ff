#include "qt_warning_log.h"

#include <QMutexLocker>
#include <QQmlEngine>
#include <QQmlError>

#include <atomic>

namespace {
// Read by whatever thread logs, written by the interface thread.
std::atomic<QtMessageHandler> g_next{nullptr};

bool IsProgramCategory(const char *category)
{
    return category && qstrncmp(category, "tolvane.", 8) == 0;
}

void Handler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if ((type == QtWarningMsg || type == QtCriticalMsg) && !IsProgramCategory(context.category))
        QtWarningLog::instance()->onMessage(message);
    if (const QtMessageHandler next = g_next.load())
        next(type, context, message);
}

QtMessageHandler CurrentHandler()
{
    const QtMessageHandler current = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(current);
    return current;
}
} // namespace

QtWarningLog *QtWarningLog::instance()
{
    static QtWarningLog *log = new QtWarningLog; // lives as long as any thread may log
    return log;
}

void QtWarningLog::listenNow()
{
    const QtMessageHandler previous = qInstallMessageHandler(Handler);
    if (previous != Handler)
        g_next = previous;
}

void QtWarningLog::listenOnceTestLoggingStarts()
{
    if (m_waitForLogging.isActive())
        return;
    const QtMessageHandler before = CurrentHandler();
    m_waitForLogging.setInterval(1);
    connect(&m_waitForLogging, &QTimer::timeout, this, [this, before] {
        if (CurrentHandler() == before)
            return;
        m_waitForLogging.stop();
        listenNow();
    });
    m_waitForLogging.start();
}

void QtWarningLog::watch(QQmlEngine *engine)
{
    connect(engine, &QQmlEngine::warnings, this, &QtWarningLog::onEngineWarnings,
            Qt::UniqueConnection);
}

int QtWarningLog::count() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages.size();
}

QStringList QtWarningLog::messages() const
{
    QMutexLocker lock(&m_mutex);
    return m_messages;
}

QStringList QtWarningLog::take()
{
    QStringList taken;
    {
        QMutexLocker lock(&m_mutex);
        taken.swap(m_messages);
    }
    if (!taken.isEmpty())
        emit changed();
    return taken;
}

QStringList QtWarningLog::takeMatching(const QString &needle)
{
    QStringList taken;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_messages.begin(); it != m_messages.end();) {
            if (it->contains(needle)) {
                taken << *it;
                it = m_messages.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (!taken.isEmpty())
        emit changed();
    return taken;
}

void QtWarningLog::onEngineWarnings(const QList<QQmlError> &warnings)
{
    for (const QQmlError &w : warnings) {
        {
            QMutexLocker lock(&m_mutex);
            m_printedEngineWarnings << w.toString();
        }
        record(w.toString());
    }
}

void QtWarningLog::onMessage(const QString &message)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_printedEngineWarnings.removeOne(message))
            return;
    }
    record(message);
}

void QtWarningLog::record(const QString &message)
{
    {
        QMutexLocker lock(&m_mutex);
        m_messages << message;
    }
    // Warnings come from the render and loader threads too.
    QMetaObject::invokeMethod(this, &QtWarningLog::changed, Qt::QueuedConnection);
}
