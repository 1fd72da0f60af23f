// A write limit for tests of failed saves, without root: while the guard
// lives, no file this process (or a child it starts) writes may grow past
// the limit. SIGXFSZ is ignored, so such a write fails with EFBIG exactly as
// a write to a full disk fails with ENOSPC.
#pragma once

#include <QProcess>

#include <csignal>
#include <sys/resource.h>

namespace stepvane::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    // The same limit for a child process only (set between fork and exec;
    // an ignored signal stays ignored across exec). SIG_DFL leaves the
    // signal as the system does, for a program that must cope on its own.
    static void applyToChild(QProcess &process, rlim_t bytes, void (*onSignal)(int) = SIG_IGN)
    {
        process.setChildProcessModifier([bytes, onSignal] {
            std::signal(SIGXFSZ, onSignal);
            rlimit limit{};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace stepvane::test
