// The Connect, Send and Fetch sequences with their messages and progress, on
// top of CDevComm, shared by the communication dialog and stepvane-cli.
#include "comm/TransferWorkflow.h"

#include "comm/CDevComm.h"
#include "comm/UsbDevice.h"
#include "common/AtomicFile.h"
#include "common/OutputFolder.h"
#include "instrument_files/CodePage.h"
#include "instrument_files/LanguageInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <chrono>
#include <cstdio>
#include <limits>

namespace stepvane {

namespace {

constexpr int kUsbConnectWaitMs = 31 * 100;
constexpr int kNameToContentPauseMs = 100;
// A USB piece is a 1 ms pause and one block write; a few ms each is ample.
constexpr int kUsbPieceGapMs = 5;

const QString kFailToSend = QStringLiteral("Fail to send file to EQP");
const QString kBusy = QStringLiteral(
    "The instrument is busy: it serves as many connections as it can. Try again later.");

} // namespace

TransferWorkflow::TransferWorkflow(MessageSink *sink)
    : m_sink(sink ? sink : &nullSink()), m_progress(std::make_unique<CommProgress>()),
      m_dev(std::make_unique<CDevComm>())
{
    m_dev->setCancelFlag(&m_cancel);
    m_dev->AllocBuffers(m_progress.get());
    // Protocol threads (the USB reader) only wake the waiting operation,
    // which publishes; so the callback always runs on the operation's thread.
    m_progress->changed = [this] {
        if (std::this_thread::get_id() == m_operationThread.load())
            publishProgress();
    };
}

TransferWorkflow::~TransferWorkflow()
{
    m_cancel = true;
    m_dev->Release();
}

void TransferWorkflow::setSettings(const CommSettings &settings)
{
    m_settings = settings;
    m_settings.method = normalisedMethod(settings.method);
}

void TransferWorkflow::setTransportFactory(TransportFactory factory)
{
    m_factory = std::move(factory);
}

void TransferWorkflow::setProgressCallback(ProgressCallback callback)
{
    m_progressCallback = std::move(callback);
}

TransferProgress TransferWorkflow::progress() const
{
    return {m_value.load(), m_maximum.load()};
}

void TransferWorkflow::cancel()
{
    m_cancel = true;
}

bool TransferWorkflow::receivedOk() const
{
    return m_receivedOk.load();
}

QString TransferWorkflow::lastError() const
{
    return m_dev->GetErrorMessage();
}

bool TransferWorkflow::isConnected() const
{
    return m_dev->IsConnected() != 0;
}

void TransferWorkflow::disconnect()
{
    m_dev->Release();
}

void TransferWorkflow::report(const Message &message)
{
    m_sink->report(message);
}

// "%s : %s": the translated connect failure and the protocol's error as it is.
QString TransferWorkflow::protocolErrorText() const
{
    // The protocol names its errors by identifier ("STR_ERROR_CHECKSUM"); the
    // user reads the language table's text. Literal errors pass unchanged.
    const QString error = m_dev->GetErrorMessage();
    QString text = GetMessageText(error, 0);
    if (text.isEmpty())
        text = error;
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

void TransferWorkflow::reportReplyFailure()
{
    QString connectFail = GetMessageText(QStringLiteral("IDS_CONNECT_FAIL"), 0);
    while (connectFail.endsWith(u'\n'))
        connectFail.chop(1);
    report(Message::fromText(QStringLiteral("%s : %s"), {connectFail, protocolErrorText()},
                             MessageIcon::Error));
}

void TransferWorkflow::reportFetchFailure()
{
    // The connection was made: a broken reply is a failed transfer, not a
    // failed connect.
    report(Message::fromId(QStringLiteral("IDS_RECEIVE_FAIL")).withDetail(protocolErrorText()));
}

void TransferWorkflow::setProgress(int value, int maximum)
{
    const bool moved = m_value.exchange(value) != value;
    const bool resized = m_maximum.exchange(maximum) != maximum;
    if ((moved || resized) && m_progressCallback)
        m_progressCallback(value, maximum);
}

void TransferWorkflow::publishProgress()
{
    const CommProgress &p = *m_progress;
    switch (m_mode) {
    case Mode::SendTcp:
        setProgress(p.bytesSent > 0 ? p.lastSentPiece + 1 : 0, p.sendPieceCount + 1);
        break;
    case Mode::SendUsb:
        setProgress(p.usbPosition, p.sendPieceCount + 1);
        break;
    case Mode::Fetch:
        setProgress(p.receiveCurrent, p.receiveTotal);
        break;
    case Mode::Idle:
        break;
    }
}

bool TransferWorkflow::pause(int milliseconds)
{
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (cancelled())
            return false;
        std::this_thread::sleep_until(
            std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(10)));
    }
    return !cancelled();
}

void TransferWorkflow::beginOperation()
{
    m_cancel = false;
    m_operationThread = std::this_thread::get_id();
    m_mode = Mode::Idle;
}

// ---------------------------------------------------------------------------
// Connect

bool TransferWorkflow::connect()
{
    beginOperation();
    return doConnect();
}

bool TransferWorkflow::doConnect()
{
    m_dev->stopTransferClock();
    if (m_dev->IsConnected() || m_dev->usbStarted())
        m_dev->Release();
    m_dev->AllocBuffers(m_progress.get());
    m_dev->SetPort(m_settings.port);
    m_method = normalisedMethod(m_settings.method);
    return m_method == kMethodUsb ? connectUsb() : connectTcp();
}

bool TransferWorkflow::receiveUntilComplete(int &result)
{
    // Every step reads or times out, and a reply has a bounded number of
    // frames, so this ends; the count is a second guard.
    for (int steps = 0; steps <= CDevComm::kBufferSize + 1; ++steps) {
        result = m_dev->ReceiveStep();
        if (result < 0 || result >= 100)
            return result >= 100;
    }
    result = -1;
    return false;
}

bool TransferWorkflow::connectTcp()
{
    const bool v6 = m_method == kMethodIPv6;
    m_dev->SetAddress(v6 ? m_settings.ipv6 : m_settings.ip);
    int ok;
    if (m_factory)
        ok = m_dev->ConnectStream(m_factory(m_method),
                                  v6 ? CDevComm::kKindIPv6 : CDevComm::kKindIPv4, m_progress.get());
    else
        ok = v6 ? m_dev->ConnectIPv6(m_progress.get()) : m_dev->ConnectIPv4(m_progress.get());
    if (!ok) {
        if (!cancelled())
            report(Message::fromId(QStringLiteral("IDS_CONNECT_FAIL")));
        m_dev->Disconnect();
        return false;
    }
    int result = -1;
    if (m_dev->SendCommand(frame::kCommandA, frame::kHandshake) && receiveUntilComplete(result)) {
        if (m_dev->receivedData() != frame::kBusyReply)
            return true;
        m_dev->SetErrorMessage(kBusy);
        report(Message::fromText(kBusy, {}, MessageIcon::Error));
        m_dev->Disconnect();
        return false;
    }
    if (!cancelled())
        reportReplyFailure();
    m_dev->Disconnect();
    return false;
}

bool TransferWorkflow::connectUsb()
{
    std::unique_ptr<CommTransport> device;
    if (m_factory) {
        device = m_factory(kMethodUsb);
    } else if (!m_settings.hasUsbIds()) {
        const QString file =
            QSettings(QStringLiteral("Vexmar"), QStringLiteral("Stepvane")).fileName();
        m_dev->SetErrorMessage(
            QStringLiteral("No USB device is configured: set UsbVendorId and UsbProductId (hex, "
                           "for example 1a2b) in the [Connection] group of %1")
                .arg(file));
        std::fprintf(stderr, "%s\n", qPrintable(m_dev->GetErrorMessage()));
        report(Message::fromId(QStringLiteral("IDS_CONNECT_FAIL")));
        return false;
    } else {
        device = std::make_unique<UsbDevice>(m_settings.usbVendorId, m_settings.usbProductId);
    }
    if (m_dev->StartUsb(m_progress.get(), std::move(device)) < 0) {
        std::fprintf(stderr, "USB: %s\n", qPrintable(m_dev->GetErrorMessage()));
        report(Message::fromId(QStringLiteral("IDS_CONNECT_FAIL")));
        return false;
    }
    m_dev->SetOperation(CDevComm::kOpHandshake);
    if (!m_dev->UsbSendCommand(frame::kHandshake, nullptr, 0, true)) {
        if (!cancelled())
            reportReplyFailure();
        m_dev->Release();
        return false;
    }
    const int state = m_dev->WaitUsbReply(kUsbConnectWaitMs);
    if (cancelled()) {
        m_dev->Release();
        return false;
    }
    if (state == 0) {
        report(Message::fromText(QStringLiteral("Timeout"), {}, MessageIcon::Error));
        m_dev->Release();
        return false;
    }
    if (state < 0) {
        reportReplyFailure();
        m_dev->Release();
        return false;
    }
    if (m_dev->GetReceivedSize() <= 0) {
        report(Message::fromId(QStringLiteral("IDS_CONNECT_FAIL")));
        m_dev->Release();
        return false;
    }
    m_dev->MarkConnected(true);
    return true;
}

// ---------------------------------------------------------------------------
// Send

TransferStatus TransferWorkflow::sendFile(const QString &path)
{
    beginOperation();
    setProgress(0, 100);
    // The file and its name are checked before anything goes to the instrument.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QFile file(absolute);
    const qint64 size = QFileInfo(absolute).isFile() ? file.size() : -1;
    QByteArray content;
    if (size >= 0 && size < std::numeric_limits<int>::max() && file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (size < 0 || !file.isOpen() || content.size() != size) {
        report(Message::fromText(QStringLiteral("Read file Error"), {}, MessageIcon::Information));
        return TransferStatus::Failed;
    }
    // Absolute, so a bare file name still has its name taken (not an empty one).
    return sendNamed(CDevComm::FileNameOf(absolute), content);
}

TransferStatus TransferWorkflow::sendData(const QString &name, const QByteArray &content)
{
    beginOperation();
    setProgress(0, 100);
    return sendNamed(name, content);
}

TransferStatus TransferWorkflow::sendNamed(const QString &name, const QByteArray &content)
{
    if (toCp1252(name).size() > CDevComm::kMaxNameBytes) {
        report(Message::fromText(QStringLiteral("This file name is too long (Max:259 Bytes)"), {},
                                 MessageIcon::Error));
        return TransferStatus::Failed;
    }
    if (normalisedMethod(m_settings.method) == kMethodUsb &&
        !CDevComm::UsbPiecesFit(reinterpret_cast<const uint8_t *>(content.constData()),
                                int(content.size()))) {
        report(Message::fromText(
            QStringLiteral("This file cannot be sent over USB: one of its pieces does not fit a "
                           "4096-byte block"),
            {}, MessageIcon::Error));
        return TransferStatus::Failed;
    }
    if (!doConnect())
        return cancelled() ? TransferStatus::Cancelled : TransferStatus::Failed;
    return sendContent(name, content);
}

TransferStatus TransferWorkflow::sendContent(const QString &name, const QByteArray &content)
{
    const int size = int(content.size());
    const auto *data = reinterpret_cast<const uint8_t *>(content.constData());
    CommProgress &p = *m_progress;
    p.lastSentPiece = 0;
    p.usbPosition = 0;
    p.bytesSent = 0;
    bool ok;
    // The clock starts once connected: connecting has bounds of its own.
    if (m_method == kMethodUsb)
        m_dev->startTransferClock(size, CDevComm::kUsbPiece, kUsbPieceGapMs);
    else
        m_dev->startTransferClock(size, CDevComm::kTcpPiece, CDevComm::kPieceGapMs);
    if (m_method == kMethodUsb) {
        p.sendPieceCount = size / CDevComm::kUsbPiece;
        m_mode = Mode::SendUsb;
        publishProgress();
        ok = m_dev->UsbSendPathRecord(name) && pause(kNameToContentPauseMs) &&
             m_dev->UsbSendFile(size, data);
    } else {
        p.sendPieceCount = size / CDevComm::kTcpPiece;
        m_mode = Mode::SendTcp;
        publishProgress();
        ok = m_dev->SendNameRecord(frame::kCommandA, frame::kFileName, name) &&
             pause(kNameToContentPauseMs) &&
             m_dev->SendFile(frame::kCommandA, frame::kFileContent, size, data);
        if (ok)
            setProgress(p.lastSentPiece + 1, p.sendPieceCount + 1);
    }
    m_mode = Mode::Idle;
    m_dev->stopTransferClock();
    if (cancelled())
        return TransferStatus::Cancelled;
    if (!ok) {
        // A failed step ends the send: later steps would only mislead. The
        // detail says which bound or fault ended it.
        report(
            Message::fromText(kFailToSend, {}, MessageIcon::Error).withDetail(protocolErrorText()));
        return TransferStatus::Failed;
    }
    // A notice that all went well: information, not a warning.
    report(Message::fromId(QStringLiteral("IDS_TRANSPORT_COMPLETE"), {}, MessageIcon::Information));
    return TransferStatus::Completed;
}

// ---------------------------------------------------------------------------
// Fetch

TransferStatus TransferWorkflow::fetchSetup(const QString &savePath)
{
    return fetchAndSave([&savePath](const QByteArray &data, QString &error) {
        return writeFileAtomically(savePath, data, &error);
    });
}

TransferStatus TransferWorkflow::fetchSetup(const OutputFolder &folder, const QString &name)
{
    return fetchAndSave([&](const QByteArray &data, QString &error) {
        return folder.writeFile(name, data, &error);
    });
}

TransferStatus TransferWorkflow::fetchAndSave(const SaveFunction &save)
{
    beginOperation();
    m_receivedOk = false;
    m_progress->receivedOk = 0;
    setProgress(0, 100);
    if (!doConnect())
        return cancelled() ? TransferStatus::Cancelled : TransferStatus::Failed;
    m_progress->receiveTotal = 100;
    m_progress->receiveCurrent = 0;
    m_mode = Mode::Fetch;
    TransferStatus status = receiveSetup();
    if (status == TransferStatus::Completed && !saveReceived(save))
        status = TransferStatus::Failed;
    m_mode = Mode::Idle;
    m_dev->stopTransferClock();
    m_dev->Release();
    return status;
}

TransferStatus TransferWorkflow::receiveSetup()
{
    m_dev->SetOperation(CDevComm::kOpSetup);
    // Until the first reply frame tells its size, a reply may fill the buffer.
    m_dev->startTransferClock(CDevComm::kBufferSize, CDevComm::kTcpPiece, CDevComm::kPieceGapMs);
    if (m_method == kMethodUsb) {
        if (!m_dev->UsbSendCommand(frame::kSetupFetch, nullptr, 0, true)) {
            if (cancelled())
                return TransferStatus::Cancelled;
            reportFetchFailure();
            return TransferStatus::Failed;
        }
        const int state =
            m_dev->WaitUsbReply(std::numeric_limits<int>::max(), [this] { publishProgress(); });
        publishProgress();
        if (cancelled())
            return TransferStatus::Cancelled;
        if (state == 0) {
            m_dev->setInterruptedError();
            report(Message::fromText(QStringLiteral("Timeout"), {}, MessageIcon::Error)
                       .withDetail(m_dev->GetErrorMessage()));
            return TransferStatus::Failed;
        }
        // The reader sets the reply flag positive only once the whole setup
        // has arrived (receivedOk); every other end of the reply is negative.
        if (state < 0) {
            reportFetchFailure();
            return TransferStatus::Failed;
        }
        return TransferStatus::Completed;
    }
    int result = -1;
    const bool complete = m_dev->SendRequest(frame::kCommandA, frame::kSetupFetch, nullptr, 0) &&
                          receiveUntilComplete(result);
    if (complete) {
        m_progress->receivedOk = 1;
        return TransferStatus::Completed;
    }
    if (cancelled())
        return TransferStatus::Cancelled;
    if (result == -3)
        report(Message::fromId(QStringLiteral("IDS_FIBER_INSPECTION_MODE")));
    else
        reportFetchFailure();
    m_dev->Disconnect();
    return TransferStatus::Failed;
}

bool TransferWorkflow::saveReceived(const SaveFunction &save)
{
    // The USB reader keeps the fiber-inspection reply as the received data;
    // it is a refusal, not a setup.
    if (m_dev->fiberMode()) {
        report(Message::fromId(QStringLiteral("IDS_FIBER_INSPECTION_MODE")));
        m_progress->receivedOk = 0;
        return false;
    }
    const QByteArray data = QByteArray::fromRawData(
        reinterpret_cast<const char *>(m_dev->GetReceivedData()), m_dev->GetReceivedSize());
    QString error;
    if (!save(data, error)) {
        report(Message::fromId(QStringLiteral("IDS_SAVE_FAIL")).withDetail(error));
        m_progress->receivedOk = 0;
        return false;
    }
    m_receivedOk = true;
    return true;
}

} // namespace stepvane
