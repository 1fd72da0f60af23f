// CDevComm over USB: every transfer is one 4096-byte block holding at most one
// frame at its start. The first block after opening switches the instrument's
// link to command mode; a worker thread reads reply blocks when a request
// expects a reply, and writers wait (bounded) while it is busy.
#include "comm/CDevComm.h"

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace stepvane {

namespace {

constexpr int kBusySteps = 12;
constexpr int kBusyStepMs = 100;
constexpr int kReadSliceMs = 100;
// One reply block may take this long before the reply counts as lost.
constexpr int kBlockTimeoutMs = 10000;

// Short lines for whoever debugs the USB link; silent unless asked for.
void usbDiagnostic(const char *format, ...)
{
    static const bool enabled = std::getenv("STEPVANE_USB_DEBUG") != nullptr;
    if (!enabled)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

} // namespace

QByteArray CDevComm::ModeSwitchBlock()
{
    QByteArray block(kUsbBlock, '\0');
    std::memcpy(block.data(), "LANCOMMAND\n", 11);
    return block;
}

bool CDevComm::UsbPiecesFit(const uint8_t *data, int size)
{
    if (size < kSmallFile)
        return frame::encodedSizeM(frame::kFileContent, 1, 0, data, size_t(std::max(size, 0))) <=
               size_t(kUsbBlock);
    const int n = size / kUsbPiece;
    for (int i = 0; i <= n; ++i) {
        const int length = i < n ? kUsbPiece : size % kUsbPiece;
        if (frame::encodedSizeM(frame::kFileContent, uint32_t(n + 1), uint32_t(i),
                                data + size_t(i) * kUsbPiece, size_t(length)) > size_t(kUsbBlock))
            return false;
    }
    return true;
}

int CDevComm::StartUsb(CommProgress *owner, std::unique_ptr<CommTransport> device)
{
    // A second start replaces the first device instead of leaving it open.
    stopUsb();
    AllocBuffers(owner);
    m_owner->usbReply = 0;
    if (!device || !device->connect()) {
        m_error = device && !device->lastError().isEmpty()
                      ? device->lastError()
                      : QStringLiteral("The USB device could not be opened");
        usbDiagnostic("Unable to find or open any VirArevez!\n");
        return -1;
    }
    m_usb = std::move(device);
    const QByteArray modeSwitch = ModeSwitchBlock();
    if (m_usb->write(reinterpret_cast<const uint8_t *>(modeSwitch.constData()), kUsbBlock) !=
        kUsbBlock) {
        m_error =
            QStringLiteral("Writing the mode-switch block failed: %1").arg(m_usb->lastError());
        stopUsb();
        return -1;
    }
    m_stopRequested = false;
    m_readRequested = false;
    try {
        m_worker = std::thread(&CDevComm::usbWorker, this);
    } catch (const std::system_error &) {
        m_error = QStringLiteral("The USB reader could not start");
        stopUsb();
        return -1;
    }
    return 1;
}

void CDevComm::stopUsb()
{
    {
        std::lock_guard<std::mutex> lock(m_usbMutex);
        m_stopRequested = true;
    }
    m_usbWake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    m_stopRequested = false;
    m_readRequested = false;
    if (m_usb) {
        m_usb->close();
        m_usb.reset();
    }
}

void CDevComm::Release()
{
    // The worker stops before anything it uses goes away.
    stopUsb();
    Disconnect();
    m_frameBuffer = {};
    m_receive = {};
    m_received = {};
    m_blockOut = {};
    m_blockIn = {};
    m_pending = 0;
    m_receivedSize = 0;
}

void CDevComm::usbWorker()
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_usbMutex);
            m_usbWake.wait_for(lock, std::chrono::milliseconds(100),
                               [this] { return m_stopRequested || m_readRequested; });
            if (m_stopRequested)
                return;
            if (!m_readRequested)
                continue;
            m_readRequested = false;
        }
        int r;
        {
            std::lock_guard<std::timed_mutex> busy(m_replyLock);
            r = usbReadReply();
        }
        m_owner->usbReply = r > 0 ? 1 : -1;
        progressChanged();
    }
}

int CDevComm::usbReadBlock()
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBlockTimeoutMs);
    while (!m_stopRequested && std::chrono::steady_clock::now() < deadline) {
        const int n = m_usb->read(m_blockIn.data(), kUsbBlock, kReadSliceMs);
        if (n != 0)
            return n;
    }
    return 0;
}

// The block reader: one frame per block, bytes after the end flag are padding.
int CDevComm::usbReadReply()
{
    const bool setup = m_operation == kOpSetup;
    for (;;) {
        const int n = usbReadBlock();
        if (n <= 0) {
            m_owner->receivedOk = 0;
            m_error = n == 0 ? QStringLiteral("STR_ERROR_TIMEOUT")
                             : QStringLiteral("USB read failed: %1").arg(m_usb->lastError());
            return -1;
        }
        m_decoder.reset();
        m_decoder.setLayout(setup ? frame::Layout::M : frame::Layout::A);
        m_decoder.setFiberCheck(setup);
        const frame::DecodeResult r = m_decoder.feed(m_blockIn.data(), size_t(n));
        if (r.status == frame::DecodeStatus::Invalid && r.code == -3) {
            m_receivedSize = 0;
            appendReceived(m_blockIn.data(), 4);
            m_fiber = true;
            m_owner->receivedOk = 1;
            return 100;
        }
        if (r.status != frame::DecodeStatus::Frame) {
            // A block without an end flag cannot be completed by the next one.
            m_error = QString::fromLatin1(r.error ? r.error : frame::kErrorPacket);
            m_owner->receivedOk = 0;
            return -1;
        }
        const int filed = fileReply(m_decoder.frame());
        if (filed < 0) {
            m_owner->receivedOk = 0;
            return -1;
        }
        if (filed >= 100) {
            m_owner->receivedOk = 1;
            return 100;
        }
    }
}

int CDevComm::usbWriteBlock()
{
    if (!m_usb || m_usb->write(m_blockOut.data(), kUsbBlock) != kUsbBlock) {
        const QString why = m_usb ? m_usb->lastError() : QString();
        m_error = why.isEmpty() ? QStringLiteral("USB write failed")
                                : QStringLiteral("USB write failed: %1").arg(why);
        return 0;
    }
    return 1;
}

int CDevComm::UsbSendCommand(uint8_t p1, const uint8_t *payload, int size, bool replyExpected)
{
    if (!m_usb) {
        m_error = QStringLiteral("No USB device");
        return 0;
    }
    std::unique_lock<std::timed_mutex> busy(m_replyLock, std::defer_lock);
    if (!busy.try_lock_for(std::chrono::milliseconds(kBusySteps * kBusyStepMs))) {
        m_error = QStringLiteral("The USB reader stayed busy");
        return 0;
    }
    resetReceive();
    m_fiber = false;
    std::memset(m_blockOut.data(), 0, kUsbBlock);
    if (frame::encodeA(frame::kCommandA, p1, 1, 0, payload, size_t(std::max(size, 0)),
                       m_blockOut.data(), kUsbBlock) == 0) {
        m_error = QString::fromLatin1(frame::kErrorTooLong);
        return 0;
    }
    const int ok = usbWriteBlock();
    if (ok && replyExpected) {
        m_owner->usbReply = 0;
        {
            std::lock_guard<std::mutex> lock(m_usbMutex);
            m_readRequested = true;
        }
        m_usbWake.notify_all();
    }
    m_pending = 0;
    return ok;
}

int CDevComm::UsbSendPiece(uint32_t total, uint32_t index, const uint8_t *data, int size)
{
    if (!m_usb) {
        m_error = QStringLiteral("No USB device");
        return 0;
    }
    std::unique_lock<std::timed_mutex> busy(m_replyLock, std::defer_lock);
    if (!busy.try_lock_for(std::chrono::milliseconds(kBusySteps * kBusyStepMs))) {
        m_error = QStringLiteral("The USB reader stayed busy");
        return 0;
    }
    ensureBuffers();
    m_receivedSize = 0;
    std::memset(m_blockOut.data(), 0, kUsbBlock);
    if (frame::encodeM(frame::kFileContent, total, index, data, size_t(std::max(size, 0)),
                       m_blockOut.data(), kUsbBlock) == 0) {
        m_error = QStringLiteral("A file piece does not fit a USB block");
        return 0;
    }
    return usbWriteBlock();
}

int CDevComm::UsbSendPathRecord(const QString &name)
{
    m_operation = kOpNameRecord;
    QByteArray record;
    if (!BuildNameRecord(name, record)) {
        m_error = QStringLiteral("The file name needs more than 259 bytes");
        return 0;
    }
    return UsbSendCommand(frame::kFileName, reinterpret_cast<const uint8_t *>(record.constData()),
                          int(record.size()), false);
}

int CDevComm::UsbSendFile(int size, const uint8_t *data)
{
    m_operation = kOpFile;
    CommProgress &progress = *m_owner;
    progress.bytesSent = 0;
    progress.bytesTotal = size;
    progress.usbReply = 0;
    if (size < 0 || (size > 0 && !data))
        return 0;
    if (size < kSmallFile) {
        if (!UsbSendPiece(1, 0, data, size))
            return 0;
        progress.usbPosition = 1;
        progress.bytesSent = size;
        progressChanged();
        return 1;
    }
    const int n = size / kUsbPiece;
    for (int i = 0; i <= n; ++i) {
        const int length = i < n ? kUsbPiece : size % kUsbPiece;
        if (!UsbSendPiece(uint32_t(n + 1), uint32_t(i), data + size_t(i) * kUsbPiece, length))
            return 0;
        progress.bytesSent += length;
        if (i < n) {
            usbDiagnostic("CMD (%d), Total (%d) Curr(%d) Size(%d)\n", 24, n + 1, i, kUsbPiece);
            if (!pauseMs(1)) {
                setInterruptedError();
                return 0;
            }
            progress.usbPosition = i;
        } else {
            progress.usbPosition = n + 1;
        }
        progressChanged();
    }
    return 1;
}

int CDevComm::WaitUsbReply(int timeoutMs, const std::function<void()> &onWake)
{
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(std::clamp(timeoutMs, 0, remainingMs()));
    for (;;) {
        const int state = m_owner->usbReply;
        if (state != 0)
            return state;
        if (cancelled() || pastDeadline() || std::chrono::steady_clock::now() >= deadline)
            return 0;
        {
            std::unique_lock<std::mutex> lock(m_usbMutex);
            m_usbReply.wait_until(lock, std::min(deadline, std::chrono::steady_clock::now() +
                                                               std::chrono::milliseconds(100)));
        }
        if (onWake)
            onWake();
    }
}

} // namespace stepvane
