// Listening, accepting and serving connections for stepvane-sim.
#include "sim/SimServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace stepvane::sim {

namespace {

std::mutex &logMutex()
{
    static std::mutex mutex;
    return mutex;
}

constexpr int kPollMs = 200;
constexpr size_t kMaxConnections = 64;
constexpr int kWriteTimeoutMs = 5000;

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    int waited = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.constData() + sent, size_t(bytes.size() - sent),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (waited >= kWriteTimeoutMs)
            return false;
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, 50);
        waited += 50;
    }
    return true;
}

} // namespace

void logLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::lock_guard<std::mutex> lock(logMutex());
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

SimServer::SimServer(SimConfig config) : m_config(std::move(config)) {}

SimServer::~SimServer()
{
    reapFinished(true);
    closeListeners();
}

void SimServer::reapFinished(bool all)
{
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (all || it->done->load()) {
            if (it->thread.joinable())
                it->thread.join();
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

void SimServer::closeListeners()
{
    for (int fd : m_listeners)
        ::close(fd);
    m_listeners.clear();
    m_addresses.clear();
}

bool SimServer::bindAll(int port, QString &error)
{
    QStringList binds = m_config.binds;
    const bool defaults = binds.isEmpty();
    if (defaults)
        binds << QStringLiteral("0.0.0.0") << QStringLiteral("::");
    for (const QString &address : binds) {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | AI_PASSIVE;
        addrinfo *result = nullptr;
        const QByteArray host = address.toLatin1();
        const QByteArray service = QByteArray::number(port);
        if (getaddrinfo(host.constData(), service.constData(), &hints, &result) != 0) {
            error = QStringLiteral("%1 is not a numeric address").arg(address);
            return false;
        }
        const int fd = socket(result->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool ok = fd >= 0;
        if (ok) {
            const int one = 1;
            setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (result->ai_family == AF_INET6)
                setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
            ok = bind(fd, result->ai_addr, result->ai_addrlen) == 0 && ::listen(fd, 8) == 0;
        }
        const int code = errno;
        freeaddrinfo(result);
        if (!ok) {
            if (fd >= 0)
                ::close(fd);
            // A host without IPv6 still serves IPv4 when no address was named.
            if (defaults && address == QLatin1String("::")) {
                log(QStringLiteral("IPv6 not available: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(code))));
                continue;
            }
            error = QStringLiteral("cannot listen on %1 port %2: %3")
                        .arg(address)
                        .arg(port)
                        .arg(QString::fromLocal8Bit(std::strerror(code)));
            errno = code;
            return false;
        }
        if (port == 0) {
            sockaddr_storage bound{};
            socklen_t length = sizeof bound;
            getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &length);
            port = bound.ss_family == AF_INET6
                       ? ntohs(reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port)
                       : ntohs(reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
        }
        m_listeners.push_back(fd);
        m_addresses << address;
    }
    m_port = port;
    return !m_listeners.empty();
}

bool SimServer::listen(QString &error)
{
    // With port 0 the first socket picks the port and the others follow; if
    // another family already uses that port, try again with a new one.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (bindAll(m_config.port, error))
            return true;
        const bool retry = m_config.port == 0 && errno == EADDRINUSE;
        closeListeners();
        if (!retry)
            return false;
    }
    return false;
}

void SimServer::run(const std::atomic<bool> &stop)
{
    int nextId = 1;
    std::vector<pollfd> fds;
    for (int fd : m_listeners)
        fds.push_back({fd, POLLIN, 0});
    while (!stop) {
        reapFinished(false);
        if (poll(fds.data(), nfds_t(fds.size()), kPollMs) <= 0)
            continue;
        for (const pollfd &p : fds) {
            if (!(p.revents & POLLIN))
                continue;
            sockaddr_storage peer{};
            socklen_t length = sizeof peer;
            const int fd =
                accept4(p.fd, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            char host[INET6_ADDRSTRLEN] = "?";
            getnameinfo(reinterpret_cast<sockaddr *>(&peer), length, host, sizeof host, nullptr, 0,
                        NI_NUMERICHOST);
            const int id = nextId++;
            if (m_connections.size() >= kMaxConnections) {
                log(QStringLiteral("[%1] refused: %2 connections are open")
                        .arg(id)
                        .arg(kMaxConnections));
                ::close(fd);
                continue;
            }
            log(QStringLiteral("[%1] connection from %2").arg(id).arg(QLatin1String(host)));
            auto done = std::make_shared<std::atomic<bool>>(false);
            m_connections.push_back({std::thread([this, fd, id, &stop, done] {
                                         serve(fd, id, stop);
                                         *done = true;
                                     }),
                                     done});
        }
    }
    reapFinished(true);
}

void SimServer::serve(int fd, int id, const std::atomic<bool> &stop)
{
    InstrumentEndpoint endpoint(m_config.endpoint);
    const QString prefix = m_config.logPrefix + QStringLiteral("[%1] ").arg(id);
    endpoint.onLog = [&](const QString &line) { logLine(prefix + line); };
    endpoint.onFile = [&](const QString &name, const QByteArray &content) {
        if (m_config.onFile)
            m_config.onFile(id, name, content);
    };
    std::vector<uint8_t> buffer(65536);
    while (!stop && !endpoint.wantsClose()) {
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, kPollMs);
        if (r <= 0)
            continue;
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            logLine(prefix + QStringLiteral("connection closed by the editor"));
            break;
        }
        const QByteArray reply = endpoint.receiveStream(buffer.data(), size_t(n));
        if (!reply.isEmpty() && !writeAll(fd, reply)) {
            logLine(prefix + QStringLiteral("reply could not be written"));
            break;
        }
    }
    if (endpoint.wantsClose())
        logLine(prefix + QStringLiteral("connection closed by the simulator"));
    shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

} // namespace stepvane::sim
