// CDevComm over TCP (or any stream transport): request frames, the file pieces
// with their 20 ms pacing, and the reply loop that assembles frames from reads
// and files their payloads in order.
#include "comm/CDevComm.h"

#include "instrument_files/CodePage.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace stepvane {

namespace {

constexpr int kFrameBufferSize = 8192;
constexpr const char *kErrorIndexGap = "Communication Error!";
constexpr const char *kErrorDataTooLong = "Reply data too long (more than 800000 bytes)";
constexpr const char *kErrorWrite = "Write to the instrument failed";
constexpr const char *kErrorCancelled = "Cancelled";
// The longest one frame's write waits for room when the peer still takes bytes.
constexpr int kWriteTimeoutMs = 30000;

int clampToInt(int64_t v)
{
    return v > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(v);
}

void putLe32(uint8_t *p, int32_t value)
{
    const auto v = uint32_t(value);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// The 84-byte record: a name of at most 79 bytes, NUL, then a 32-bit value.
bool shortRecord(const QByteArray &name, int32_t value, uint8_t *record)
{
    if (name.size() > CDevComm::kMaxShortNameBytes)
        return false;
    std::memset(record, 0, CDevComm::kShortRecordSize);
    std::memcpy(record, name.constData(), size_t(name.size()));
    putLe32(record + 80, value);
    return true;
}

} // namespace

CDevComm::CDevComm() : m_decoder(frame::Layout::A)
{
    AllocBuffers(nullptr);
}

CDevComm::~CDevComm()
{
    Release();
}

bool CDevComm::AllocBuffers(CommProgress *owner)
{
    if (owner)
        setOwner(owner);
    ensureBuffers();
    return true;
}

void CDevComm::ensureBuffers()
{
    if (m_receive.empty()) {
        m_frameBuffer.resize(kFrameBufferSize);
        m_receive.resize(kBufferSize);
        m_received.resize(kBufferSize);
        m_blockOut.assign(kUsbBlock, 0);
        m_blockIn.assign(kUsbBlock, 0);
        m_pending = 0;
        m_receivedSize = 0;
    }
}

void CDevComm::SetPort(int port)
{
    m_socket.setService(QString::number(port));
}

void CDevComm::setCancelFlag(const std::atomic<bool> *cancel)
{
    m_cancel = cancel;
    m_socket.setCancelFlag(cancel);
}

void CDevComm::setLimits(const TransferLimits &limits)
{
    m_limits = limits;
    m_socket.setStallTimeout(limits.stallMs);
}

void CDevComm::startTransferClock(int64_t bytes, int piece, int gapMs)
{
    m_boundPiece = piece;
    m_boundGapMs = gapMs;
    m_boundBytes = bytes;
    m_clockStart = std::chrono::steady_clock::now().time_since_epoch().count();
    m_boundMs = m_limits.boundMs(bytes, piece, gapMs);
}

void CDevComm::tightenTransferClock(int64_t bytes)
{
    const int64_t bound = m_limits.boundMs(bytes, m_boundPiece, m_boundGapMs);
    if (m_boundMs > 0 && bound < m_boundMs) {
        m_boundBytes = bytes;
        m_boundMs = bound;
    }
}

int CDevComm::remainingMs() const
{
    const int64_t bound = m_boundMs;
    if (bound <= 0)
        return std::numeric_limits<int>::max();
    const auto start = std::chrono::steady_clock::time_point(
        std::chrono::steady_clock::duration(m_clockStart.load()));
    // Rounded up, so a wait of this long ends at or after the bound.
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(start + std::chrono::milliseconds(bound) -
                                                     std::chrono::steady_clock::now())
            .count();
    return int(std::clamp<int64_t>(left, 0, std::numeric_limits<int>::max()));
}

bool CDevComm::pastDeadline() const
{
    return remainingMs() == 0;
}

void CDevComm::setInterruptedError()
{
    m_error = pastDeadline() ? TransferLimits::overallText(m_boundMs, m_boundBytes)
                             : QString::fromLatin1(kErrorCancelled);
}

CommTransport *CDevComm::stream() const
{
    if (m_memory)
        return m_memory.get();
    return const_cast<CSocketComm *>(&m_socket);
}

QString CDevComm::GetErrorMessage() const
{
    return m_error;
}

QByteArray CDevComm::receivedData() const
{
    return QByteArray(reinterpret_cast<const char *>(m_received.data()), m_receivedSize);
}

uint8_t *CDevComm::GetFileEntry(int index)
{
    if (index < 0 || index >= kFileEntries)
        return nullptr;
    if (m_fileTable.empty())
        m_fileTable.assign(size_t(kFileEntries) * kShortRecordSize, 0);
    return m_fileTable.data() + size_t(index) * kShortRecordSize;
}

QString CDevComm::FileNameOf(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

bool CDevComm::BuildNameRecord(const QString &name, QByteArray &record)
{
    const QByteArray bytes = toCp1252(name);
    if (bytes.size() > kMaxNameBytes)
        return false;
    record = QByteArray(kNameRecordSize, '\0');
    std::memcpy(record.data(), bytes.constData(), size_t(bytes.size()));
    return true;
}

// ---------------------------------------------------------------------------
// Connections

int CDevComm::ConnectIPv4(CommProgress *owner)
{
    return ConnectSocket(owner, kKindIPv4);
}

int CDevComm::ConnectIPv6(CommProgress *owner)
{
    return ConnectSocket(owner, kKindIPv6);
}

int CDevComm::ConnectSocket(CommProgress *owner, Kind kind)
{
    AllocBuffers(owner);
    m_memory.reset();
    const bool connected =
        kind == kKindIPv6 ? m_socket.ConnectToV6(m_address) : m_socket.ConnectTo(m_address);
    if (!connected) {
        m_error = QStringLiteral("STR_DEVCOM_ERR_CHKCABLE");
        return 0;
    }
    m_kind = kind;
    m_operation = kOpConnected;
    m_connected = m_linkUp = 1;
    return 1;
}

int CDevComm::ConnectStream(std::unique_ptr<CommTransport> transport, Kind kind,
                            CommProgress *owner)
{
    AllocBuffers(owner);
    m_socket.CloseComm();
    m_memory = std::move(transport);
    if (!m_memory || !m_memory->connect()) {
        m_memory.reset();
        m_error = QStringLiteral("STR_DEVCOM_ERR_CHKCABLE");
        return 0;
    }
    m_kind = kind;
    m_operation = kOpConnected;
    m_connected = m_linkUp = 1;
    return 1;
}

int CDevComm::Disconnect()
{
    // Both families close at once: an IPv6 socket left open would keep the
    // instrument's only connection busy until the next connect.
    m_socket.CloseComm();
    if (m_memory) {
        m_memory->close();
        m_memory.reset();
    }
    m_kind = kKindNone;
    m_connected = m_linkUp = 0;
    return 0;
}

// ---------------------------------------------------------------------------
// Requests

void CDevComm::resetReceive()
{
    ensureBuffers();
    m_pending = 0;
    m_pendingOffset = 0;
    m_receivedSize = 0;
    // Each request starts a new reply: its first frame must be index 0.
    m_lastAccepted = 0;
    m_decoder.reset();
}

int CDevComm::writeFrame(size_t frameSize)
{
    if (frameSize == 0) {
        m_sendResult = 0;
        m_error = QString::fromLatin1(frame::kErrorTooLong);
        return 0;
    }
    if (m_kind != kKindIPv4 && m_kind != kKindIPv6) {
        m_sendResult = 0;
        m_error = QString::fromLatin1(kErrorWrite);
        return 0;
    }
    if (pastDeadline()) {
        m_sendResult = 0;
        setInterruptedError();
        return 0;
    }
    m_socket.setWriteTimeout(std::min(remainingMs(), kWriteTimeoutMs));
    m_sendResult = stream()->write(m_frameBuffer.data(), int(frameSize));
    if (m_sendResult != int(frameSize)) {
        // Say which bound ended it, or what the link knows (a closed connection).
        const QString why = stream()->lastError();
        if (pastDeadline())
            setInterruptedError();
        else if (why == TransferLimits::stallText(m_limits.stallMs))
            m_error = why; // the bound that was hit, said as it is
        else
            m_error = why.isEmpty() ? QString::fromLatin1(kErrorWrite)
                                    : QStringLiteral("%1: %2").arg(QLatin1String(kErrorWrite), why);
        return 0;
    }
    return 1;
}

int CDevComm::SendRequest(uint8_t command, uint8_t p1, const uint8_t *payload, int size)
{
    resetReceive();
    return writeFrame(frame::encodeA(command, p1, 1, 0, payload, size_t(std::max(size, 0)),
                                     m_frameBuffer.data(), m_frameBuffer.size()));
}

int CDevComm::SendCommand(uint8_t command, uint8_t p1)
{
    m_operation = kOpHandshake;
    return SendRequest(command, p1, nullptr, 0);
}

int CDevComm::SendNameRecord(uint8_t command, uint8_t p1, const QString &name)
{
    m_operation = kOpNameRecord;
    QByteArray record;
    if (!BuildNameRecord(name, record)) {
        m_error = QStringLiteral("The file name needs more than 259 bytes");
        return 0;
    }
    return SendRequest(command, p1, reinterpret_cast<const uint8_t *>(record.constData()),
                       int(record.size()));
}

int CDevComm::SendNameShort(uint8_t command, uint8_t p1, const QString &name)
{
    m_operation = kOpNameShort;
    uint8_t record[kShortRecordSize];
    if (!shortRecord(toCp1252(name), 1, record)) {
        m_error = QStringLiteral("The name needs more than 79 bytes");
        return 0;
    }
    return SendRequest(command, p1, record, kShortRecordSize);
}

int CDevComm::SendNameValue(uint8_t command, uint8_t p1, const QByteArray &name, int32_t value)
{
    m_operation = kOpNameRecord;
    uint8_t record[kShortRecordSize];
    if (!shortRecord(name, value, record)) {
        m_error = QStringLiteral("The name needs more than 79 bytes");
        return 0;
    }
    return SendRequest(command, p1, record, kShortRecordSize);
}

bool CDevComm::pauseMs(int milliseconds) const
{
    return pauseUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

bool CDevComm::pauseUntil(std::chrono::steady_clock::time_point deadline) const
{
    // Sleep to an absolute deadline so the pause does not drift, in slices
    // short enough to notice a cancel.
    for (;;) {
        if (cancelled() || pastDeadline())
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return true;
        std::this_thread::sleep_until(std::min(deadline, now + std::chrono::milliseconds(10)));
    }
}

int CDevComm::SendFile(uint8_t, uint8_t p1, int size, const uint8_t *data)
{
    m_operation = kOpFile;
    CommProgress &progress = *m_owner;
    progress.bytesSent = 0;
    progress.bytesTotal = size;
    if (size < 0 || (size > 0 && !data)) {
        m_error = QString::fromLatin1(kErrorWrite);
        return 0;
    }
    resetReceive();
    if (size < kSmallFile) {
        if (!writeFrame(frame::encodeA(frame::kCommandA, p1, 1, 0, data, size_t(size),
                                       m_frameBuffer.data(), m_frameBuffer.size())) ||
            !waitTaken())
            return 0;
        progress.bytesSent = size;
        progressChanged();
        return 1;
    }
    // The pieces go out on the caller's thread: it would only wait for them.
    // They keep a cadence of one per 20 ms from the first one, so a late
    // wake-up on a busy machine shortens the next pause instead of slowing
    // the whole file; a pause is never below half the period, and a sender
    // that fell far behind starts a new cadence rather than rushing.
    using Clock = std::chrono::steady_clock;
    constexpr auto kGap = std::chrono::milliseconds(kPieceGapMs);
    const int n = size / kTcpPiece;
    const auto total = uint32_t(n + 1);
    Clock::time_point due = Clock::now();
    for (int i = 0; i <= n; ++i) {
        const int length = i < n ? kTcpPiece : size % kTcpPiece;
        const size_t encoded =
            frame::encodeM(p1, total, uint32_t(i), data + size_t(i) * kTcpPiece, size_t(length),
                           m_frameBuffer.data(), m_frameBuffer.size());
        if (!writeFrame(encoded))
            return 0;
        if (i < n) {
            due += kGap;
            const Clock::time_point wake = std::max(due, Clock::now() + kGap / 2);
            if (wake - due > kGap)
                due = wake;
            if (!pauseUntil(wake)) {
                setInterruptedError();
                return 0;
            }
        }
        if (i == n && !waitTaken())
            return 0;
        progress.bytesSent += length;
        progress.lastSentPiece = i;
        progressChanged();
    }
    return 1;
}

int CDevComm::waitTaken()
{
    if (stream()->waitTaken(remainingMs()))
        return 1;
    if (pastDeadline() || cancelled())
        setInterruptedError();
    else
        m_error = stream()->lastError();
    return 0;
}

// ---------------------------------------------------------------------------
// Replies

int CDevComm::ReceiveFrame()
{
    ensureBuffers();
    const bool setup = m_operation == kOpSetup;
    m_decoder.reset();
    m_decoder.setLayout(setup ? frame::Layout::M : frame::Layout::A);
    m_decoder.setFiberCheck(setup);
    int attempts = m_timing.attempts;
    bool didRead = false;
    for (;;) {
        int count = 0;
        int offset = 0;
        if (m_pending > 0) {
            offset = m_pendingOffset;
            count = m_pending;
            m_pending = 0;
        } else if (cancelled() || pastDeadline()) {
            setInterruptedError();
            return -1;
        } else if (m_kind == kKindIPv4 || m_kind == kKindIPv6) {
            count = stream()->read(m_receive.data(), kReadChunk,
                                   std::min(m_timing.readWindowMs, remainingMs()));
            if (count > 0)
                didRead = true;
        } else {
            count = -1;
        }
        if (count > 0) {
            const uint8_t *data = m_receive.data() + offset;
            const frame::DecodeResult r = m_decoder.feed(data, size_t(count));
            if (r.status == frame::DecodeStatus::Invalid) {
                m_error = QString::fromLatin1(r.error);
                return r.code;
            }
            if (r.status == frame::DecodeStatus::Frame) {
                const frame::Frame &f = m_decoder.frame();
                if (setup) {
                    m_lastM.command = f.command;
                    m_lastM.p1 = f.p1;
                    m_lastM.total = f.total;
                    m_lastM.index = f.index;
                    m_lastM.length = int(f.payloadSize);
                    std::memcpy(m_lastM.payload.data(), f.payload, f.payloadSize);
                } else {
                    m_lastA.command = f.command;
                    m_lastA.p1 = f.p1;
                    m_lastA.p2 = uint8_t(f.total);
                    m_lastA.p3 = uint8_t(f.index);
                    m_lastA.length = int(f.payloadSize);
                    std::memcpy(m_lastA.payload.data(), f.payload, f.payloadSize);
                }
                // Bytes behind the end flag wait for the next call, where
                // they are (moving them for every small frame would cost
                // the whole read each time).
                m_pendingOffset = offset + int(r.consumed);
                m_pending = count - int(r.consumed);
                return didRead ? 2 : 1;
            }
        }
        // Nothing, or part of a frame (kept in the decoder): one attempt used.
        if (!pauseMs(m_timing.retryPauseMs)) {
            setInterruptedError();
            return -1;
        }
        if (--attempts <= 0) {
            m_error = QStringLiteral("STR_ERROR_TIMEOUT");
            return -1;
        }
    }
}

bool CDevComm::appendReceived(const uint8_t *data, size_t size)
{
    if (size > size_t(kBufferSize - m_receivedSize))
        return false;
    std::memcpy(m_received.data() + m_receivedSize, data, size);
    m_receivedSize += int(size);
    return true;
}

void CDevComm::progressChanged()
{
    m_owner->notify();
    m_usbReply.notify_all();
}

int CDevComm::fileReply(const frame::Frame &reply)
{
    const int64_t total = reply.total;
    const int64_t cur = int64_t(reply.index) + 1;
    m_owner->receiveTotal = clampToInt(total);
    m_owner->receiveCurrent = clampToInt(cur);
    progressChanged();
    if (cur == 1) {
        m_lastAccepted = 1;
        // The first frame of a fetch tells how many follow, so how much they
        // can carry at most: the overall bound follows that.
        if (m_operation == kOpSetup)
            tightenTransferClock(
                std::min<int64_t>(total * int64_t(frame::kMaxPayload), kBufferSize));
    } else if (m_lastAccepted != cur - 1) {
        m_error = QString::fromLatin1(kErrorIndexGap);
        return -1;
    } else {
        m_lastAccepted = int(std::min<int64_t>(cur, std::numeric_limits<int>::max()));
    }
    // A reply cannot carry more frames than the buffer has bytes; refusing
    // such a total bounds the loop as well as the buffer.
    if (total > kBufferSize + 1 || !appendReceived(reply.payload, reply.payloadSize)) {
        m_error = QString::fromLatin1(kErrorDataTooLong);
        return -1;
    }
    if (cur >= total)
        return 100;
    return int(cur * 100 / total);
}

int CDevComm::ReceiveStep()
{
    // A loop, not a recursion: thousands of small frames may arrive in one read.
    for (;;) {
        switch (m_operation) {
        case kOpConnected:
        case kOpNameShort:
        case kOpNameRecord:
        case kOpHandshake:
        case kOpSetup:
            break;
        default:
            return 90;
        }
        const int r = ReceiveFrame();
        if (r <= 0) {
            m_owner->receivedOk = 0;
            return r;
        }
        const frame::Frame &f = m_decoder.frame();
        const int filed = fileReply(f);
        if (filed < 0 || filed >= 100)
            return filed;
        if (r >= 2)
            return filed;
        // The frame came from pending bytes: file the next one at once.
    }
}

} // namespace stepvane
