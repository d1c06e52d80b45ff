#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <utility>

// One worker thread for slow work of capture or storage (decoding, encoding and storing
// images; writing history files). The lists stay on the thread that owns this queue;
// jobs run one after another in the order they were given, and each job's result comes back
// to the owner's thread, in the same order, through its event loop.
class CBackgroundQueue : public QObject
{
    Q_OBJECT
public:
    explicit CBackgroundQueue(const QString &name = QStringLiteral("tolvane storage"),
                              QObject *parent = nullptr);
    // Runs what is still queued, then stops the thread. Results not yet handed over are
    // dropped: call finish() first where they matter.
    ~CBackgroundQueue() override;

    // work() runs on the worker thread; done(result) afterwards on the owner's thread.
    // Both must copy (not point to) what they use: the work may outlive the caller's data.
    template <class Work, class Done> void run(Work work, Done done)
    {
        ++m_pending;
        QMetaObject::invokeMethod(
            &m_worker,
            [this, work, done]() {
                if (m_dropping.load()) {
                    QMetaObject::invokeMethod(
                        this, [this] { --m_pending; }, Qt::QueuedConnection);
                    return;
                }
                auto result = work();
                QMetaObject::invokeMethod(
                    this,
                    [this, done, result]() {
                        --m_pending;
                        done(result);
                    },
                    Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

    // Blocks until every queued job has run and hands over all results at once. For quitting
    // and for a display that went away: nothing given to the queue is lost.
    void finish();
    // As finish(), for at most about `ms` milliseconds: the results that come in that time
    // are handed over, the jobs not begun by then are dropped (and every later one too), and
    // the job running then is waited for. For quitting when the session will not wait.
    // False when jobs were dropped.
    bool finishWithin(int ms);
    int pending() const { return m_pending; }

private:
    QThread m_thread;
    QObject m_worker;
    int m_pending = 0;
    std::atomic<bool> m_dropping{false};
};
