// The in-memory instrument: writes go to the endpoint at once, its replies
// wait in a queue that reads take from, with the read's time-out honoured.
#include "comm/MemoryTransport.h"

#include <chrono>
#include <cstring>

namespace stepvane {

MemoryLink::MemoryLink(Framing framing, std::shared_ptr<InstrumentEndpoint> endpoint)
    : m_framing(framing), m_endpoint(std::move(endpoint))
{
}

void MemoryLink::queueRead(const QByteArray &chunk)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reads.push_back(chunk);
    }
    m_readable.notify_all();
}

QList<QByteArray> MemoryLink::written() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_written;
}

int MemoryLink::connects() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_connects;
}

void MemoryLink::setConnectFails(bool fails)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_connectFails = fails;
}

void MemoryLink::setFailWritesFrom(int number)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failWritesFrom = number;
}

bool MemoryLink::open()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_connectFails)
        return false;
    ++m_connects;
    m_open = true;
    m_peerClosed = false;
    return true;
}

void MemoryLink::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open = false;
    }
    m_readable.notify_all();
}

int MemoryLink::read(uint8_t *buffer, int size, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_readable.wait_for(lock, std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0),
                        [this] { return !m_reads.empty() || !m_open; });
    if (m_reads.empty())
        return (!m_open || m_peerClosed) ? -1 : 0;
    QByteArray &chunk = m_reads.front();
    const int n = int(std::min<qsizetype>(size, chunk.size()));
    std::memcpy(buffer, chunk.constData(), size_t(n));
    if (n == chunk.size())
        m_reads.pop_front();
    else
        chunk.remove(0, n);
    return n;
}

int MemoryLink::write(const uint8_t *data, int size)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const int number = int(m_written.size());
    m_written.append(QByteArray(reinterpret_cast<const char *>(data), size));
    if (!m_open || m_peerClosed || (m_failWritesFrom >= 0 && number >= m_failWritesFrom))
        return -1;
    if (!m_endpoint)
        return size;
    if (m_framing == Framing::Stream) {
        const QByteArray reply = m_endpoint->receiveStream(data, size_t(size));
        if (!reply.isEmpty())
            m_reads.push_back(reply);
    } else {
        for (const QByteArray &block : m_endpoint->receiveBlock(data, size_t(size)))
            m_reads.push_back(block);
    }
    if (m_endpoint->wantsClose())
        m_peerClosed = true;
    lock.unlock();
    m_readable.notify_all();
    return size;
}

bool MemoryTransport::connect()
{
    m_open = m_link->open();
    return m_open;
}

int MemoryTransport::read(uint8_t *buffer, int size, int timeoutMs)
{
    if (!m_open || !buffer || size < 1)
        return -1;
    return m_link->read(buffer, size, timeoutMs);
}

int MemoryTransport::write(const uint8_t *data, int size)
{
    if (!m_open)
        return -1;
    return m_link->write(data, size);
}

void MemoryTransport::close()
{
    if (m_open) {
        m_open = false;
        m_link->close();
    }
}

} // namespace stepvane
