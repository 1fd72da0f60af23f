// Child processes for the loopback tests: start, read, bound, reap.
#include "ChildProcess.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace stepvane::test {

namespace {

// The inherited environment with each "NAME=value" entry put in.
QProcessEnvironment environmentWith(const QStringList &env)
{
    QProcessEnvironment merged = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : env) {
        const qsizetype eq = entry.indexOf(u'=');
        merged.insert(entry.left(eq), eq < 0 ? QString() : entry.mid(eq + 1));
    }
    return merged;
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
    QProcess p;
    p.setProcessEnvironment(environmentWith(env));
    p.start(program, args);
    ProcessResult result;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
    } else if (p.exitStatus() == QProcess::NormalExit) {
        result.exitCode = p.exitCode();
    }
    result.out = QString::fromUtf8(p.readAllStandardOutput());
    result.err = QString::fromUtf8(p.readAllStandardError());
    return result;
}

SimProcess::SimProcess(const QStringList &extraArgs, const QStringList &env, bool onLoopback)
{
    m_v6 = haveIPv6Loopback();
    QStringList args;
    if (onLoopback)
        args = {"--port", "0", "--bind", "127.0.0.1"};
    if (onLoopback && m_v6)
        args << "--bind"
             << "::1";
    m_reader = std::thread(&SimProcess::run, this, args + extraArgs, env);
    static const QRegularExpression portLine(QStringLiteral("listening on port (\\d+)"));
    if (waitForLine(portLine, 20000)) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_port = portLine.match(m_log).captured(1).toInt();
    }
}

SimProcess::~SimProcess()
{
    m_stop = true;
    m_reader.join();
}

// The process belongs to the reading thread from its start to its reaping.
void SimProcess::run(const QStringList &args, const QStringList &env)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setProcessEnvironment(environmentWith(env));
    p.start(binPath(QStringLiteral("stepvane-sim")), args);
    if (p.waitForStarted())
        m_pid = pid_t(p.processId());
    while (!m_stop && p.state() == QProcess::Running) {
        p.waitForReadyRead(20);
        const QByteArray bytes = p.readAll();
        if (bytes.isEmpty())
            continue;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_log += QString::fromUtf8(bytes);
        }
        m_grown.notify_all();
    }
    p.terminate();
    if (!p.waitForFinished(3000))
        p.kill();
    p.waitForFinished(5000);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log += QString::fromUtf8(p.readAll());
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
