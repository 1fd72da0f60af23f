// An instrument in memory: a transport whose far end is an InstrumentEndpoint
// (the simulator's logic) or a script of reads written by a test. Stream
// framing behaves like a TCP socket, block framing like the USB pipes.
#pragma once

#include "comm/CommTransport.h"
#include "comm/InstrumentEndpoint.h"

#include <QByteArray>
#include <QList>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace stepvane {

// The shared far end; tests keep it to look at what was written after the
// transport itself is gone.
class MemoryLink {
public:
    enum class Framing { Stream, Blocks };

    explicit MemoryLink(Framing framing, std::shared_ptr<InstrumentEndpoint> endpoint = {});

    // A chunk one read returns (a read with a smaller buffer takes its start
    // and leaves the rest for the next read).
    void queueRead(const QByteArray &chunk);
    // Every write, in order.
    QList<QByteArray> written() const;
    int connects() const;
    void setConnectFails(bool fails);
    // The write with this 0-based number and every later one fail.
    void setFailWritesFrom(int number);
    InstrumentEndpoint *endpoint() const { return m_endpoint.get(); }

private:
    friend class MemoryTransport;
    bool open();
    int read(uint8_t *buffer, int size, int timeoutMs);
    int write(const uint8_t *data, int size);
    void close();

    Framing m_framing;
    std::shared_ptr<InstrumentEndpoint> m_endpoint;
    mutable std::mutex m_mutex;
    std::condition_variable m_readable;
    std::deque<QByteArray> m_reads;
    QList<QByteArray> m_written;
    bool m_open = false;
    bool m_peerClosed = false;
    bool m_connectFails = false;
    int m_failWritesFrom = -1;
    int m_connects = 0;
};

class MemoryTransport : public CommTransport {
public:
    explicit MemoryTransport(std::shared_ptr<MemoryLink> link) : m_link(std::move(link)) {}
    ~MemoryTransport() override { close(); }

    bool connect() override;
    bool isOpen() const override { return m_open; }
    int read(uint8_t *buffer, int size, int timeoutMs) override;
    int write(const uint8_t *data, int size) override;
    void close() override;

private:
    std::shared_ptr<MemoryLink> m_link;
    bool m_open = false;
};

} // namespace stepvane
