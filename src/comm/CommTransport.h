// The one interface the protocol talks through: TCP sockets, the libusb device
// and the in-memory instrument of the tests all implement it, so CDevComm never
// knows which it has. Over USB every write and every read is one 4096-byte block.
#pragma once

#include <QString>

#include <cstdint>

namespace stepvane {

class CommTransport {
public:
    virtual ~CommTransport() = default;

    // Opens the link to the endpoint the concrete class was given. True when open.
    virtual bool connect() = 0;
    virtual bool isOpen() const = 0;
    // Waits at most timeoutMs for data: the count read (> 0), 0 when nothing
    // came, -1 on an error or when the peer closed the link.
    virtual int read(uint8_t *buffer, int size, int timeoutMs) = 0;
    // Writes all of data (bounded wait for room): size, or -1 when the link
    // failed or stayed full. A partial frame never counts as sent.
    virtual int write(const uint8_t *data, int size) = 0;
    virtual void close() = 0;
    // Waits at most timeoutMs until the peer has taken every byte written.
    // False (the reason in lastError) when it did not; links that cannot
    // tell say true.
    virtual bool waitTaken(int timeoutMs)
    {
        (void)timeoutMs;
        return isOpen();
    }
    // Why the last connect or transfer failed, for diagnostics.
    virtual QString lastError() const { return m_lastError; }

protected:
    QString m_lastError;
};

} // namespace stepvane
