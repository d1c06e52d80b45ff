#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QSocketNotifier>

#include <cstdio>
#include <functional>
#include <unistd.h>

// Line-based talk with a driving process, for helper programs that tests and benchmarks
// start: PrintLine writes one line to stdout at once; StdinLines hands every line of stdin
// to a handler and quits the application at the end of input.
inline void PrintLine(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

class StdinLines : public QObject
{
public:
    explicit StdinLines(std::function<void(const QByteArray &)> handler)
        : m_handler(std::move(handler)), m_notifier(STDIN_FILENO, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &StdinLines::onReadable);
    }

private:
    void onReadable()
    {
        char buf[4096];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            m_notifier.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        m_pending.append(buf, int(n));
        int nl;
        while ((nl = m_pending.indexOf('\n')) >= 0) {
            const QByteArray line = m_pending.left(nl);
            m_pending.remove(0, nl + 1);
            m_handler(line);
        }
    }

    std::function<void(const QByteArray &)> m_handler;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
};
