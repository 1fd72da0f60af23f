// The TCP client: name and service look-up, bounded connect, reads that wait
// at most their time-out, and writes that send a frame whole.
#include "comm/CSocketComm.h"

#include "comm/TransferLimits.h"

#include "instrument_files/CodePage.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace stepvane {

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

bool setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

CSocketComm::~CSocketComm()
{
    CloseComm();
}

int CSocketComm::GetPortNumber(const QString &service)
{
    if (service.isEmpty())
        return 0;
    if (service.at(0).isDigit()) {
        qint64 port = 0;
        for (const QChar c : service) {
            if (!c.isDigit() || port > 65535)
                break;
            port = port * 10 + c.digitValue();
        }
        return port > 0 && port <= 65535 ? int(port) : 0;
    }
    const QByteArray name = toCp1252(service);
    const servent *entry = getservbyname(name.constData(), "tcp");
    return entry ? int(ntohs(uint16_t(entry->s_port))) : 0;
}

bool CSocketComm::GetIPAddress(const QString &host, in_addr &address)
{
    const QByteArray text = toCp1252(host);
    if (text == "255.255.255.255") {
        address.s_addr = htonl(INADDR_BROADCAST);
        return true;
    }
    if (!text.isEmpty() && inet_aton(text.constData(), &address) != 0)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    if (text.isEmpty() || getaddrinfo(text.constData(), nullptr, &hints, &result) != 0)
        return false;
    bool found = false;
    for (const addrinfo *ai = result; ai; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET) {
            address = reinterpret_cast<const sockaddr_in *>(ai->ai_addr)->sin_addr;
            found = true;
            break;
        }
    }
    freeaddrinfo(result);
    return found;
}

bool CSocketComm::connectSocket(int fd, const sockaddr *address, unsigned length)
{
    if (!setNonBlocking(fd)) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::connect(fd, address, socklen_t(length)) == 0)
        return true;
    if (errno != EINPROGRESS) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    // Wait in short slices so a cancel is seen; the whole wait is bounded.
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_connectTimeoutMs);
    for (;;) {
        if (cancelled()) {
            m_lastError = QStringLiteral("cancelled");
            return false;
        }
        const int left = remainingMs(deadline);
        if (left == 0) {
            m_lastError = QStringLiteral("connection timed out");
            errno = ETIMEDOUT;
            return false;
        }
        pollfd p{fd, POLLOUT, 0};
        const int r = poll(&p, 1, left < 100 ? left : 100);
        if (r < 0 && errno != EINTR) {
            m_lastError = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (r > 0) {
            int error = 0;
            socklen_t len = sizeof error;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                error = errno;
            if (error != 0) {
                errno = error;
                m_lastError = QString::fromLocal8Bit(std::strerror(error));
                return false;
            }
            return true;
        }
    }
}

bool CSocketComm::ConnectTo(const QString &host)
{
    if (m_socket >= 0) {
        m_lastError = QStringLiteral("a connection is already open");
        return false;
    }
    m_host = host;
    m_v6 = false;
    const int port = GetPortNumber(m_service);
    in_addr address{};
    if (port == 0 || !GetIPAddress(host, address)) {
        m_lastError = QStringLiteral("cannot resolve %1 port %2").arg(host, m_service);
        return false;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_lastError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(uint16_t(port));
    remote.sin_addr = address;
    if (!connectSocket(fd, reinterpret_cast<const sockaddr *>(&remote), sizeof remote)) {
        ::close(fd);
        return false;
    }
    m_socket = fd;
    startCounting();
    return true;
}

bool CSocketComm::ConnectToV6(const QString &host)
{
    CloseComm();
    m_host = host;
    m_v6 = true;
    // No AI_ADDRCONFIG: it ignores loopback addresses, so "::1" would not
    // resolve on a host whose only IPv6 address is the loopback.
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *result = nullptr;
    const QByteArray name = toCp1252(host);
    const QByteArray service = toCp1252(m_service);
    const int rc = getaddrinfo(name.constData(), service.constData(), &hints, &result);
    if (rc != 0) {
        std::fprintf(stderr, "getaddrinfo: %s\n", gai_strerror(rc));
        m_lastError =
            QStringLiteral("getaddrinfo: %1").arg(QString::fromLocal8Bit(gai_strerror(rc)));
        return false;
    }
    bool connected = false;
    bool tried = false;
    for (const addrinfo *ai = result; ai && !tried; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET6)
            continue;
        const int fd = socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0)
            continue;
        tried = true;
        if (connectSocket(fd, ai->ai_addr, ai->ai_addrlen)) {
            m_socket = fd;
            startCounting();
            connected = true;
            break;
        }
        const int code = errno;
        ::close(fd);
        char text[INET6_ADDRSTRLEN] = "<unknown>";
        if (getnameinfo(ai->ai_addr, ai->ai_addrlen, text, sizeof text, nullptr, 0,
                        NI_NUMERICHOST) != 0)
            std::strcpy(text, "<unknown>");
        std::fprintf(stderr, "Client: connect() to %s failed with error %d: %s\n", text, code,
                     std::strerror(code));
    }
    if (!tried)
        m_lastError = QStringLiteral("%1 has no IPv6 address").arg(host);
    freeaddrinfo(result);
    return connected;
}

bool CSocketComm::connect()
{
    if (m_host.isEmpty())
        return false;
    if (m_v6)
        return ConnectToV6(m_host);
    CloseComm();
    return ConnectTo(m_host);
}

int CSocketComm::ReadComm(uint8_t *buffer, int size, int timeoutMs)
{
    if (!buffer || size < 1)
        return 0;
    if (m_socket < 0)
        return -1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        pollfd p{m_socket, POLLIN, 0};
        const int r = poll(&p, 1, remainingMs(deadline));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            return 0;
        const ssize_t n = recv(m_socket, buffer, size_t(size), 0);
        if (n > 0)
            return int(n);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (remainingMs(deadline) == 0)
                return 0;
            continue;
        }
        return -1;
    }
}

bool CSocketComm::peerStalled()
{
    // The send queue holds what the peer has not acknowledged yet; once its
    // receive buffer is full it acknowledges nothing more.
    int waiting = 0;
    const auto now = Clock::now();
    if (m_socket < 0 || ioctl(m_socket, SIOCOUTQ, &waiting) != 0 || waiting <= 0) {
        m_lastTaken = now;
        return false;
    }
    const int64_t taken = m_written - waiting;
    if (taken > m_taken) {
        m_taken = taken;
        m_lastTaken = now;
        return false;
    }
    return now - m_lastTaken >= std::chrono::milliseconds(m_stallMs);
}

int CSocketComm::WriteComm(const uint8_t *buffer, int size)
{
    if (m_socket < 0 || !buffer)
        return 0;
    if (peerStalled()) {
        m_lastError = TransferLimits::stallText(m_stallMs);
        return -1;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_writeTimeoutMs);
    int sent = 0;
    while (sent < size) {
        const ssize_t n =
            send(m_socket, buffer + sent, size_t(size - sent), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += int(n);
            m_written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            m_lastError = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
        // Full: wait for room while the peer keeps taking bytes, then send
        // the rest of the frame.
        if (peerStalled()) {
            m_lastError = TransferLimits::stallText(m_stallMs);
            return -1;
        }
        // Ends at the deadline itself, not within the millisecond before it,
        // so a caller that set it from its own bound sees that bound passed.
        const int left = std::max(remainingMs(deadline), 1);
        if (Clock::now() >= deadline || cancelled()) {
            m_lastError = QStringLiteral("the connection stayed full for %1 s")
                              .arg((m_writeTimeoutMs + 999) / 1000);
            return -1;
        }
        pollfd p{m_socket, POLLOUT, 0};
        if (poll(&p, 1, left < 100 ? left : 100) < 0 && errno != EINTR)
            return -1;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            m_lastError = QStringLiteral("the connection was closed");
            return -1;
        }
    }
    return sent;
}

bool CSocketComm::waitTaken(int timeoutMs)
{
    // A send counts as done once the peer has the bytes, not when they sit
    // in this side's buffer, which can hold seconds of pieces.
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (m_socket < 0) {
            m_lastError = QStringLiteral("the connection was closed");
            return false;
        }
        int waiting = 0;
        if (ioctl(m_socket, SIOCOUTQ, &waiting) != 0 || waiting <= 0)
            return true;
        pollfd p{m_socket, 0, 0};
        poll(&p, 1, 0);
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            m_lastError = QStringLiteral("the connection was closed");
            return false;
        }
        if (peerStalled()) {
            m_lastError = TransferLimits::stallText(m_stallMs);
            return false;
        }
        if (cancelled() || Clock::now() >= deadline) {
            m_lastError = QStringLiteral("the instrument had not taken the whole file in time");
            return false;
        }
        std::this_thread::sleep_until(
            std::min(deadline, Clock::now() + std::chrono::milliseconds(10)));
    }
}

void CSocketComm::startCounting()
{
    m_written = 0;
    m_taken = 0;
    m_lastTaken = Clock::now();
}

int CSocketComm::write(const uint8_t *data, int size)
{
    // WriteComm gives 0 for a closed socket; as a transport that is a failure.
    const int n = WriteComm(data, size);
    return m_socket >= 0 && n == size ? n : -1;
}

void CSocketComm::CloseComm()
{
    if (m_socket < 0)
        return;
    shutdown(m_socket, SHUT_RDWR);
    ::close(m_socket);
    m_socket = -1;
}

} // namespace stepvane
