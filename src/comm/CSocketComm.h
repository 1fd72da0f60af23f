// CSocketComm: the blocking TCP client that reaches the instrument over IPv4
// or IPv6 (service "66" unless the settings name another port). Sockets are
// non-blocking underneath so that every wait (connect, read, write) has a
// bound and can be cancelled.
#pragma once

#include "comm/CommTransport.h"
#include "comm/TransferLimits.h"

#include <QString>

#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace stepvane {

class CSocketComm : public CommTransport {
public:
    CSocketComm() = default;
    ~CSocketComm() override;
    CSocketComm(const CSocketComm &) = delete;
    CSocketComm &operator=(const CSocketComm &) = delete;

    // IPv4: fails while a socket is open (the caller disconnects first).
    bool ConnectTo(const QString &host);
    // IPv6: closes an open socket first; connects to the first IPv6 address
    // the host resolves to and fails when it resolves to none.
    bool ConnectToV6(const QString &host);
    // count > 0 read, 0 nothing within the time-out, -1 error or peer closed.
    int ReadComm(uint8_t *buffer, int size, int timeoutMs);
    // Writes the whole buffer: size, 0 for a closed socket or no buffer, -1
    // when the socket failed, the peer stopped taking bytes (stall time-out)
    // or one write waited for room longer than the write time-out.
    int WriteComm(const uint8_t *buffer, int size);
    void CloseComm();

    // A text starting with a digit is a decimal port; anything else is looked
    // up in the service database; 0 when unknown or out of range.
    static int GetPortNumber(const QString &service);
    // Dotted IPv4 text, else the first IPv4 address of the resolved name;
    // "255.255.255.255" is taken as it is. False when nothing resolves.
    static bool GetIPAddress(const QString &host, in_addr &address);

    void setService(const QString &service) { m_service = service; }
    QString service() const { return m_service; }
    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    void setWriteTimeout(int milliseconds) { m_writeTimeoutMs = milliseconds; }
    // A peer that acknowledges none of the bytes waiting for it for this long
    // has stopped reading; the socket buffers would otherwise hide it for as
    // long as they take to fill.
    void setStallTimeout(int milliseconds) { m_stallMs = milliseconds; }
    // Connect and write waits end early when the flag becomes true.
    void setCancelFlag(const std::atomic<bool> *cancel) { m_cancel = cancel; }
    int socketHandle() const { return m_socket; }
    bool isIPv6() const { return m_v6; }

    // CommTransport: connect() repeats the last ConnectTo / ConnectToV6.
    bool connect() override;
    bool isOpen() const override { return m_socket >= 0; }
    int read(uint8_t *buffer, int size, int timeoutMs) override
    {
        return ReadComm(buffer, size, timeoutMs);
    }
    int write(const uint8_t *data, int size) override;
    void close() override { CloseComm(); }
    bool waitTaken(int timeoutMs) override;

private:
    bool connectSocket(int fd, const sockaddr *address, unsigned length);
    bool cancelled() const { return m_cancel && m_cancel->load(); }
    // True when bytes wait for the peer and it took none for the stall time.
    bool peerStalled();
    void startCounting();

    int m_socket = -1;
    bool m_v6 = false;
    QString m_host;
    QString m_service = QStringLiteral("66");
    int m_connectTimeoutMs = 10000;
    int m_writeTimeoutMs = 30000;
    int m_stallMs = TransferLimits{}.stallMs;
    int64_t m_written = 0; // bytes handed to the socket since the connect
    int64_t m_taken = 0;   // of these, acknowledged by the peer when last seen
    std::chrono::steady_clock::time_point m_lastTaken;
    const std::atomic<bool> *m_cancel = nullptr;
};

} // namespace stepvane
