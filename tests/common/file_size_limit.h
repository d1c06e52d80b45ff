#pragma once

#include <csignal>
#include <sys/resource.h>

// A full disk without root: limits the size of files this process writes (RLIMIT_FSIZE),
// with SIGXFSZ ignored so that a write past the limit fails with EFBIG instead of ending the
// process. The old limit and signal handler come back when the object goes.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_saved = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{bytes, m_old.rlim_max};
        m_set = m_saved && ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_saved)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_saved = false;
    bool m_set = false;
};
