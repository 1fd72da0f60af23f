// Child processes for the loopback tests: spawn with pipes, read, bound, reap.
#include "ChildProcess.h"

#include <QProcessEnvironment>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

extern char **environ;

namespace stepvane::test {

namespace {

using Clock = std::chrono::steady_clock;

struct CStrings {
    std::vector<QByteArray> storage;
    std::vector<char *> pointers;
    explicit CStrings(const QStringList &list)
    {
        for (const QString &s : list)
            storage.push_back(s.toLocal8Bit());
        for (QByteArray &b : storage)
            pointers.push_back(b.data());
        pointers.push_back(nullptr);
    }
};

pid_t spawn(const QString &program, const QStringList &args, const QStringList &env, int outFd,
            int errFd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    QStringList argv = {program};
    argv += args;
    // An entry of env replaces the inherited one of its name.
    QProcessEnvironment merged = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : env) {
        const qsizetype eq = entry.indexOf(u'=');
        merged.insert(entry.left(eq), eq < 0 ? QString() : entry.mid(eq + 1));
    }
    const QStringList envp = merged.toStringList();
    CStrings cargv(argv), cenv(envp);
    pid_t pid = -1;
    if (posix_spawn(&pid, cargv.pointers[0], &actions, nullptr, cargv.pointers.data(),
                    cenv.pointers.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits for the child; kills it at the deadline. Returns the exit code or -1.
int reap(pid_t pid, Clock::time_point deadline)
{
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0)
            return -1;
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(5000);
    }
}

} // namespace

QString binPath(const QString &program)
{
    return QStringLiteral(STEPVANE_BIN_DIR "/") + program;
}

bool haveIPv6Loopback()
{
    const int fd = socket(AF_INET6, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    const bool ok = bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

ProcessResult runProcess(const QString &program, const QStringList &args, const QStringList &env,
                         int timeoutMs)
{
    ProcessResult result;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return result;
    const pid_t pid = spawn(program, args, env, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    QByteArray outBytes, errBytes;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    bool outOpen = pid > 0, errOpen = pid > 0;
    while ((outOpen || errOpen) && Clock::now() < deadline) {
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (poll(fds, 2, 100) <= 0)
            continue;
        char buffer[4096];
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0)
                (i == 0 ? outOpen : errOpen) = false;
            else
                (i == 0 ? outBytes : errBytes).append(buffer, n);
        }
    }
    close(out[0]);
    close(err[0]);
    if (pid > 0)
        result.exitCode = reap(pid, deadline);
    result.out = QString::fromUtf8(outBytes);
    result.err = QString::fromUtf8(errBytes);
    return result;
}

SimProcess::SimProcess(const QStringList &extraArgs, const QStringList &env)
{
    m_v6 = haveIPv6Loopback();
    QStringList args = {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bind"),
                        QStringLiteral("127.0.0.1")};
    if (m_v6)
        args << QStringLiteral("--bind") << QStringLiteral("::1");
    args += extraArgs;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return;
    m_pid = spawn(binPath(QStringLiteral("stepvane-sim")), args, env, out[1], out[1]);
    close(out[1]);
    if (m_pid <= 0) {
        close(out[0]);
        return;
    }
    m_reader = std::thread(&SimProcess::readLoop, this, out[0]);
    static const QRegularExpression portLine(QStringLiteral("listening on port (\\d+)"));
    if (waitForLine(portLine, 20000)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_port = portLine.match(m_log).captured(1).toInt();
    }
}

SimProcess::~SimProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        reap(m_pid, Clock::now() + std::chrono::seconds(3));
    }
    if (m_reader.joinable())
        m_reader.join(); // the pipe closes when the child is gone
}

void SimProcess::readLoop(int fd)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_log += QString::fromUtf8(buffer, n);
        }
        m_grown.notify_all();
    }
    close(fd);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_eof = true;
    }
    m_grown.notify_all();
}

bool SimProcess::waitForLine(const QRegularExpression &pattern, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_grown.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return pattern.match(m_log).hasMatch() || m_eof;
    }) && pattern.match(m_log).hasMatch();
}

QString SimProcess::log() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

} // namespace stepvane::test
