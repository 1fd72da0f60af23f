// Listening, accepting and serving connections for stepvane-sim.
#include "sim/SimServer.h"

#include "comm/FrameCodec.h"

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

using Clock = std::chrono::steady_clock;

constexpr int kPollMs = 200;
constexpr int kWriteTimeoutMs = 5000;
// How long a sender told "busy" has to read the reply.
constexpr auto kBusyLinger = std::chrono::seconds(1);

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
    for (const Busy &b : m_busy)
        ::close(b.fd);
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
    // Only this machine can send files unless the user opens it to a network.
    if (defaults)
        binds << QStringLiteral("127.0.0.1") << QStringLiteral("::1");
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
            if (defaults && address == QLatin1String("::1")) {
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
    while (!stop) {
        reapFinished(false);
        fds.clear();
        for (int fd : m_listeners)
            fds.push_back({fd, POLLIN, 0});
        for (const Busy &b : m_busy)
            fds.push_back({b.fd, POLLIN, 0});
        if (poll(fds.data(), nfds_t(fds.size()), kPollMs) < 0)
            continue;
        serviceBusy(fds);
        for (size_t i = 0; i < m_listeners.size(); ++i) {
            if (fds[i].revents & POLLIN)
                accept(fds[i].fd, nextId++, stop);
        }
    }
    reapFinished(true);
}

void SimServer::accept(int listener, int id, const std::atomic<bool> &stop)
{
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = accept4(listener, reinterpret_cast<sockaddr *>(&peer), &length,
                           SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0)
        return;
    char host[INET6_ADDRSTRLEN] = "?";
    getnameinfo(reinterpret_cast<sockaddr *>(&peer), length, host, sizeof host, nullptr, 0,
                NI_NUMERICHOST);
    if (m_connections.size() >= size_t(std::max(m_config.maxConnections, 0))) {
        log(QStringLiteral("[%1] connection from %2: busy, %3 connections are open")
                .arg(id)
                .arg(QLatin1String(host))
                .arg(m_connections.size()));
        tellBusy(fd, id);
        return;
    }
    log(QStringLiteral("[%1] connection from %2").arg(id).arg(QLatin1String(host)));
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_connections.push_back({std::thread([this, fd, id, &stop, done] {
                                 serve(fd, id, stop);
                                 *done = true;
                             }),
                             done});
}

void SimServer::tellBusy(int fd, int id)
{
    // The reply goes first (TCP lets the instrument speak first): the
    // sender's handshake then finds it. The socket buffer takes it at once.
    const QByteArray reply =
        frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0, QByteArray(frame::kBusyReply));
    const bool sent = send(fd, reply.constData(), size_t(reply.size()),
                           MSG_NOSIGNAL | MSG_DONTWAIT) == reply.size();
    // Lingering ones are bounded too: beyond that many a sender is simply closed.
    if (!sent || m_busy.size() >= size_t(std::max(m_config.maxConnections, 1))) {
        if (!sent)
            log(QStringLiteral("[%1] busy reply could not be written").arg(id));
        ::close(fd);
        return;
    }
    shutdown(fd, SHUT_WR);
    m_busy.push_back({fd, Clock::now() + kBusyLinger});
}

void SimServer::serviceBusy(const std::vector<pollfd> &fds)
{
    // Closing with the sender's request unread would reset the connection
    // and could drop the reply: read and discard until it closes.
    const auto now = Clock::now();
    const size_t first = m_listeners.size();
    std::vector<Busy> kept;
    for (size_t i = 0; i < m_busy.size(); ++i) {
        const Busy &b = m_busy[i];
        bool open = now < b.until;
        if (open && first + i < fds.size() && fds[first + i].revents) {
            char scratch[4096];
            ssize_t n;
            while ((n = recv(b.fd, scratch, sizeof scratch, 0)) > 0) {
            }
            open = n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
        if (open)
            kept.push_back(b);
        else
            ::close(b.fd);
    }
    m_busy.swap(kept);
}

void SimServer::serve(int fd, int id, const std::atomic<bool> &stop)
{
    InstrumentEndpoint endpoint(m_config.endpoint);
    const QString prefix = m_config.logPrefix + QStringLiteral("[%1] ").arg(id);
    endpoint.onLog = [&](const QString &line) { logLine(prefix + line); };
    if (m_config.openFile)
        endpoint.openFile = m_config.openFile;
    endpoint.onFile = [&](const QString &name, const QByteArray &content) {
        if (m_config.onFile)
            m_config.onFile(id, name, content);
    };
    std::vector<uint8_t> buffer(65536);
    // Idle means no complete request: a sender that trickles bytes, or sends
    // nothing that is a frame, holds a place no longer than a silent one.
    auto lastRequest = Clock::now();
    int requests = 0;
    while (!stop && !endpoint.wantsClose()) {
        if (endpoint.framesReceived() != requests) {
            requests = endpoint.framesReceived();
            lastRequest = Clock::now();
        } else if (Clock::now() - lastRequest >=
                   std::chrono::milliseconds(m_config.idleTimeoutMs)) {
            logLine(prefix + QStringLiteral("connection closed by the simulator: idle for %1 s")
                                 .arg(m_config.idleTimeoutMs / 1000.0));
            break;
        }
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, std::min(kPollMs, std::max(m_config.idleTimeoutMs, 1)));
        if (r <= 0)
            continue;
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (n <= 0) {
            endpoint.linkClosed();
            logLine(prefix + QStringLiteral("connection closed by the editor"));
            break;
        }
        const QByteArray reply = endpoint.receiveStream(buffer.data(), size_t(n));
        if (!reply.isEmpty() && !writeAll(fd, reply)) {
            logLine(prefix + QStringLiteral("reply could not be written"));
            break;
        }
    }
    endpoint.linkClosed();
    if (endpoint.wantsClose())
        logLine(prefix + QStringLiteral("connection closed by the simulator"));
    shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

} // namespace stepvane::sim
