#pragma once

#include <QObject>
#include <QThread>

#include <utility>

// One worker thread for the slow parts of capture and storage: decoding, encoding and
// storing images, writing history files. The lists stay on the thread that owns this queue;
// jobs run one after another in the order they were given, and each job's result comes back
// to the owner's thread, in the same order, through its event loop.
class CBackgroundQueue : public QObject
{
    Q_OBJECT
public:
    explicit CBackgroundQueue(QObject *parent = nullptr);
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
    int pending() const { return m_pending; }

private:
    QThread m_thread;
    QObject m_worker;
    int m_pending = 0;
};
