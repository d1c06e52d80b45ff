#include "os/unix_signal_quit.h"

#include "os/os_logging.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};
const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The handlers found at installation, put back when the object goes.
struct sigaction g_previous[std::size(kSignals)] = {};

void OnSignal(int signo)
{
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(signo);
    // Async-signal-safe: a single write; a full buffer only drops a duplicate request.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &b, 1);
    errno = saved;
}
} // namespace

CUnixSignalQuit::CUnixSignalQuit(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        qCWarning(lcOs) << Q_FUNC_INFO << __LINE__ << "signal pipe unavailable";
        return;
    }
    ::fcntl(g_pipe[0], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CUnixSignalQuit::onReadable);
    connect(this, &CUnixSignalQuit::sigReceived, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);

    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int i = 0; i < int(std::size(kSignals)); ++i)
        ::sigaction(kSignals[i], &sa, &g_previous[i]);
}

CUnixSignalQuit::~CUnixSignalQuit()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < int(std::size(kSignals)); ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void CUnixSignalQuit::onReadable()
{
    unsigned char b = 0;
    if (::read(g_pipe[1], &b, 1) != 1)
        return;
    qCInfo(lcOs) << "signal" << int(b) << "received, quitting";
    emit sigReceived(int(b));
}
