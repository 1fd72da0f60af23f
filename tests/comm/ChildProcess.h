// Test helpers that run stepvane-sim and stepvane-cli as child processes with
// bounded waits: the simulator's output is read by a thread so it can never
// block on a full pipe, and tests wait for its log lines, not for time.
#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/types.h>

namespace stepvane::test {

QString binPath(const QString &program);

// True when a socket can be bound to ::1 on this machine.
bool haveIPv6Loopback();

struct ProcessResult {
    int exitCode = -1; // -1 when it had to be killed or did not start
    QString out;
    QString err;
};

// Runs a program to its end, killing it after timeoutMs. env entries
// "NAME=value" replace the inherited one of that name.
ProcessResult runProcess(const QString &program, const QStringList &args,
                         const QStringList &env = {}, int timeoutMs = 30000);
inline ProcessResult runCli(const QStringList &args, const QStringList &env = {})
{
    return runProcess(binPath(QStringLiteral("stepvane-cli")), args, env);
}

// A pattern that matches the text as written.
inline QRegularExpression logLine(const QString &text)
{
    return QRegularExpression(QRegularExpression::escape(text));
}

class SimProcess {
public:
    // Starts stepvane-sim on an ephemeral port of 127.0.0.1 (and ::1 when the
    // machine has it) with the extra arguments and environment entries
    // ("NAME=value"), or with the arguments alone when not onLoopback; waits
    // for its port line.
    explicit SimProcess(const QStringList &extraArgs, const QStringList &env = {},
                        bool onLoopback = true);
    ~SimProcess(); // SIGTERM, then SIGKILL after 3 s; always reaped

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    bool hasIPv6() const { return m_v6; }
    pid_t pid() const { return m_pid; }
    // Waits until a log line matches; false after timeoutMs.
    bool waitForLine(const QRegularExpression &pattern, int timeoutMs = 20000);
    QString log() const;

private:
    void run(const QStringList &args, const QStringList &env);

    std::atomic<pid_t> m_pid{-1};
    int m_port = 0;
    bool m_v6 = false;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_grown;
    QString m_log;
    bool m_eof = false;
};

} // namespace stepvane::test
