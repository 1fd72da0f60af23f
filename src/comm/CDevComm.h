// CDevComm speaks the instrument's command protocol: it frames requests, writes
// them through the active transport (a TCP socket, the in-memory instrument,
// or over USB one 4096-byte block per frame) and files the instrument's reply
// frames into one received-data buffer. The USB side (mode-switch block,
// worker thread that reads reply blocks, 3072-byte pieces) is in CDevCommUsb.cpp.
#pragma once

#include "comm/ByteBuffer.h"
#include "comm/CSocketComm.h"
#include "comm/FrameCodec.h"
#include "comm/TransferLimits.h"

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace stepvane {

// Progress and completion fields shared between the thread that transfers and
// the one that shows progress: all atomics, written by one thread at a time.
struct CommProgress {
    std::atomic<int> receiveTotal{100};
    std::atomic<int> receiveCurrent{0};
    std::atomic<int> sendPieceCount{0}; // n of a send: pieces 0..n
    std::atomic<int> lastSentPiece{0};
    std::atomic<int> usbPosition{0}; // the USB send's progress position
    std::atomic<int> bytesTotal{0};
    std::atomic<int> bytesSent{0};
    std::atomic<int> usbReply{0};   // 1: a USB reply completed; -1: it failed
    std::atomic<int> receivedOk{0}; // the received-complete flag

    // Called after the fields above moved, on the thread that moved them.
    std::function<void()> changed;
    void notify() const
    {
        if (changed)
            changed();
    }
};

// How long a TCP reply may take: each attempt waits up to readWindowMs for
// bytes, then pauses retryPauseMs; attempts without a complete frame are
// counted, and the reply fails with "STR_ERROR_TIMEOUT" after `attempts`.
struct ReceiveTiming {
    int readWindowMs = 820; // 41 rounds of a 10 ms read and a 10 ms pause
    int retryPauseMs = 50;
    int attempts = 5;
};

class CDevComm {
public:
    // Operation codes: they decide how replies are decoded (0x17: M frames).
    enum Operation : int {
        kOpNone = 0,
        kOpConnected = 1,
        kOpNameShort = 2,
        kOpNameRecord = 3,
        kOpSetup = 0x17,
        kOpFile = 0x18,
        kOpHandshake = 0x50,
    };
    enum Kind : int { kKindNone = 0, kKindIPv4 = 1, kKindIPv6 = 3 };

    static constexpr int kBufferSize = 800000;
    static constexpr int kReadChunk = 400000;
    static constexpr int kNameRecordSize = 1024;
    static constexpr int kMaxNameBytes = 259;
    static constexpr int kShortRecordSize = 84;
    static constexpr int kMaxShortNameBytes = 79;
    static constexpr int kFileEntries = 400;
    static constexpr int kTcpPiece = 2048;
    static constexpr int kUsbPiece = 3072;
    static constexpr int kUsbBlock = 4096;
    static constexpr int kSmallFile = 1024;
    static constexpr int kPieceGapMs = 20;

    CDevComm();
    virtual ~CDevComm();
    CDevComm(const CDevComm &) = delete;
    CDevComm &operator=(const CDevComm &) = delete;

    virtual int IsConnected() const { return m_connected; }
    virtual int ConnectIPv4(CommProgress *owner);
    virtual int ConnectIPv6(CommProgress *owner);
    // Connects through a transport the caller made (the in-memory instrument);
    // it is driven like TCP of the given kind.
    int ConnectStream(std::unique_ptr<CommTransport> transport, Kind kind, CommProgress *owner);
    // Closes the socket (IPv4 and IPv6 alike) and clears the flags.
    virtual int Disconnect();
    virtual bool AllocBuffers(CommProgress *owner);

    virtual int SendNameShort(uint8_t command, uint8_t p1, const QString &name);
    virtual int SendNameRecord(uint8_t command, uint8_t p1, const QString &name);
    virtual int SendCommand(uint8_t command, uint8_t p1);
    virtual int SendNameValue(uint8_t command, uint8_t p1, const QByteArray &name, int32_t value);
    // One A frame with the payload, decoded replies as the current operation says.
    int SendRequest(uint8_t command, uint8_t p1, const uint8_t *payload, int size);
    // File content over TCP: one A frame below 1024 bytes, else M frames of
    // 2048 bytes, 20 ms apart. 1 when every frame was written, 0 otherwise.
    virtual int SendFile(uint8_t command, uint8_t p1, int size, const uint8_t *data);

    // Receives and files reply frames: progress in percent (100 = complete)
    // or a negative error (-1, -3 fiber inspection mode).
    virtual int ReceiveStep();
    virtual QString GetErrorMessage() const;
    // One complete frame: 2 after a read, 1 from pending bytes, -1 / -3 errors.
    virtual int ReceiveFrame();
    virtual const uint8_t *GetReceivedData() const { return m_received.data(); }
    virtual int GetReceivedSize() const { return m_receivedSize; }
    QByteArray receivedData() const;
    // The index-th 84-byte record of the 400-entry table, or nullptr.
    virtual uint8_t *GetFileEntry(int index);

    void SetErrorMessage(const QString &error) { m_error = error; }
    // Over USB the connection counts as made once the handshake reply carried
    // at least one byte; the caller decides and records it here.
    void MarkConnected(bool connected) { m_connected = m_linkUp = connected ? 1 : 0; }
    void SetAddress(const QString &address) { m_address = address; }
    QString address() const { return m_address; }
    void SetPort(int port);
    void SetOperation(int operation) { m_operation = operation; }
    int operation() const { return m_operation; }
    int sendResult() const { return m_sendResult; }
    bool fiberMode() const { return m_fiber.load(); }
    void setReceiveTiming(const ReceiveTiming &timing) { m_timing = timing; }
    void setLimits(const TransferLimits &limits);
    const TransferLimits &limits() const { return m_limits; }
    // Starts the overall bound of a transfer of `bytes` moving `piece` bytes
    // per `gapMs`: every wait of the protocol ends by it, and the error then
    // names it. Until stopTransferClock() (or the next start) it holds.
    void startTransferClock(int64_t bytes, int piece, int gapMs);
    void stopTransferClock() { m_boundMs = 0; }
    bool pastDeadline() const;
    // After a wait ended early: the error says whether it was a cancel or
    // the overall bound.
    void setInterruptedError();
    void setCancelFlag(const std::atomic<bool> *cancel);
    CSocketComm &socket() { return m_socket; }

    // The 1024-byte file-name record (name in Windows-1252, NUL-terminated);
    // false when the name needs more than 259 bytes.
    static bool BuildNameRecord(const QString &name, QByteArray &record);
    // The name of a path: the part after its last '/' or '\'.
    static QString FileNameOf(const QString &path);

    // ---- USB (CDevCommUsb.cpp) ----
    // Opens the device (taken over), writes the mode-switch block, starts the
    // worker. 1, or -1 when the device does not open.
    int StartUsb(CommProgress *owner, std::unique_ptr<CommTransport> device);
    int UsbSendCommand(uint8_t p1, const uint8_t *payload, int size, bool replyExpected);
    int UsbSendPiece(uint32_t total, uint32_t index, const uint8_t *data, int size);
    int UsbSendPathRecord(const QString &name);
    int UsbSendFile(int size, const uint8_t *data);
    // Stops the worker, closes the device and the socket, frees the buffers.
    void Release();
    bool usbStarted() const { return m_usb != nullptr; }
    // Waits until the worker filed a reply (1), its reply failed (-1), the
    // time ran out (0) or the cancel flag rose (0). onWake runs at least every
    // 100 ms and after every change of the progress fields.
    int WaitUsbReply(int timeoutMs, const std::function<void()> &onWake = {});
    // True when every 3072-byte piece of the data fits a 4096-byte block.
    static bool UsbPiecesFit(const uint8_t *data, int size);
    // The mode-switch block: "LANCOMMAND\n", NUL, zeros.
    static QByteArray ModeSwitchBlock();

protected:
    // The TCP connect of either family: buffers, socket, flags.
    int ConnectSocket(CommProgress *owner, Kind kind);
    // Files one decoded reply (ReceiveStep steps 3 to 6): 100 complete,
    // 0..99 progress, -1 index gap or too much data.
    int fileReply(const frame::Frame &reply);
    bool appendReceived(const uint8_t *data, size_t size);
    void resetReceive();
    int writeFrame(size_t frameSize);
    // After the last frame of a send: waits until the peer has taken it all.
    int waitTaken();
    bool pauseMs(int milliseconds) const;
    bool pauseUntil(std::chrono::steady_clock::time_point deadline) const;
    // Milliseconds left of the overall bound (INT_MAX without one).
    int remainingMs() const;
    // A fetch's first reply frame tells its size: the bound follows it.
    void tightenTransferClock(int64_t bytes);
    bool cancelled() const { return m_cancel && m_cancel->load(); }
    CommTransport *stream() const;
    void setOwner(CommProgress *owner) { m_owner = owner ? owner : &m_ownProgress; }

    void ensureBuffers();
    void progressChanged();
    void stopUsb();
    void usbWorker();
    int usbReadReply();
    int usbReadBlock();
    int usbWriteBlock();

    QString m_error;
    CSocketComm m_socket;
    std::unique_ptr<CommTransport> m_memory; // a stream transport given by the caller
    CommProgress m_ownProgress;              // used while no owner is set
    CommProgress *m_owner = &m_ownProgress;
    int m_sendResult = 0;
    int m_kind = kKindNone;
    int m_connected = 0;
    int m_linkUp = 0;

    ByteBuffer m_frameBuffer; // encoded frames being sent
    ByteBuffer m_receive;     // bytes read, pending ones at the start
    ByteBuffer m_received;    // concatenated reply payloads
    int m_pending = 0;        // bytes left behind the last frame ...
    int m_pendingOffset = 0;  // ... starting here in m_receive
    int m_receivedSize = 0;
    frame::FrameDecoder m_decoder;

    struct AReply {
        uint8_t command = 0, p1 = 0, p2 = 0, p3 = 0;
        std::array<uint8_t, frame::kMaxPayload> payload{};
        int length = 0;
    } m_lastA;
    struct MReply {
        uint8_t command = 0, p1 = 0;
        uint32_t total = 0, index = 0;
        std::array<uint8_t, frame::kMaxPayload> payload{};
        int length = 0;
    } m_lastM;

    int m_operation = kOpNone;
    int m_lastAccepted = 0;
    std::atomic<bool> m_fiber{false};
    QString m_address = QStringLiteral("192.168.0.1");
    ReceiveTiming m_timing;
    TransferLimits m_limits;
    // The overall bound: start (steady clock, ns), length (0: none) and the
    // bytes it was derived from. Atomics: the USB reader tightens a fetch's.
    std::atomic<int64_t> m_clockStart{0};
    std::atomic<int64_t> m_boundMs{0};
    std::atomic<int64_t> m_boundBytes{0};
    int m_boundPiece = 1;
    int m_boundGapMs = 0;
    const std::atomic<bool> *m_cancel = nullptr;
    std::vector<uint8_t> m_fileTable;

    // USB state.
    std::unique_ptr<CommTransport> m_usb;
    std::thread m_worker;
    std::mutex m_usbMutex;
    std::condition_variable m_usbWake;  // read and stop requests for the worker
    std::condition_variable m_usbReply; // reply flag and progress for waiters
    bool m_readRequested = false;
    std::atomic<bool> m_stopRequested{false};
    // Held by the worker while it reads and files a reply ("busy"); writers
    // wait for it at most 12 x 100 ms.
    std::timed_mutex m_replyLock;
    std::vector<uint8_t> m_blockOut;
    std::vector<uint8_t> m_blockIn;
};

} // namespace stepvane
