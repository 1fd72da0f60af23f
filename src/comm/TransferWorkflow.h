// The transfers a user starts: connect to the instrument, send a wizard file,
// fetch the instrument's current setup into a file. The communication dialog
// and stepvane-cli both run these, so messages, progress and results are the
// same everywhere.
//
// Threading: every operation blocks until it ends, so a window runs it on a
// worker thread (QThread::create or std::thread) and keeps its own thread
// free. Operations of one workflow must not overlap; cancel(), progress() and
// the accessors marked "any thread" may be called from any thread at any time.
// The message sink and the progress callback are called on the thread that
// runs the operation: a window either forwards them to its own thread
// (QMetaObject::invokeMethod with Qt::QueuedConnection) or collects messages
// in a CollectingMessageSink and shows them when the worker has finished;
// progress() can instead be polled from a timer. Destroy the workflow only
// after the worker that runs it has ended.
//
// Typical dialog use (mode 0, "Send to Spanlyx"):
//     TransferWorkflow wf(&sink);                // sink: see above
//     wf.setSettings(CommSettings::load());
//     worker = QThread::create([&] { status = wf.sendFile(path); });
//     a timer polls wf.progress() for the progress bar; wf.cancel() stops early
// Mode 1 ("Load Setup file From EQP"): status = wf.fetchSetup(savePath);
// the opener reads the saved file when status is Completed.
#pragma once

#include "comm/CommSettings.h"
#include "common/MessageSink.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace stepvane {

class CDevComm;
class CommTransport;
class OutputFolder;
struct CommProgress;

enum class TransferStatus {
    Completed, // the transfer really completed (all frames written / setup saved)
    Failed,    // a message saying why went to the sink
    Cancelled, // cancel() was called; nothing more is reported
};

struct TransferProgress {
    int value = 0;
    int maximum = 100;
};

class TransferWorkflow {
public:
    // The sink receives every message of the transfers (nullptr: none shown).
    explicit TransferWorkflow(MessageSink *sink = nullptr);
    // Cancels, disconnects and releases the USB device; joins every thread the
    // protocol started. Must not run while an operation is in progress.
    ~TransferWorkflow();
    TransferWorkflow(const TransferWorkflow &) = delete;
    TransferWorkflow &operator=(const TransferWorkflow &) = delete;

    void setSettings(const CommSettings &settings);
    const CommSettings &settings() const { return m_settings; }

    // Test seam: when set, connect() asks it for the transport of the method
    // (1, 2 or 3) instead of opening a TCP socket or the libusb device. For
    // method 2 the transport carries 4096-byte blocks, otherwise a stream.
    using TransportFactory = std::function<std::unique_ptr<CommTransport>(int method)>;
    void setTransportFactory(TransportFactory factory);

    // Called on the operation's thread whenever the position moves.
    using ProgressCallback = std::function<void(int value, int maximum)>;
    void setProgressCallback(ProgressCallback callback);
    // The progress bar's position and range now. Any thread.
    TransferProgress progress() const;

    // The Connect sequence: disconnects first when connected, then opens the
    // method of the settings and exchanges the handshake. Messages:
    // "IDS_CONNECT_FAIL" (no device / no socket), "Timeout" (no USB reply),
    // "%s : %s" (IDS_CONNECT_FAIL and the protocol's error, both as the
    // language table words them) when the handshake reply fails. True when
    // connected.
    bool connect();
    // Closes the socket or the USB device (and stops the USB reader).
    void disconnect();
    bool isConnected() const;

    // Sends the file at path: checks the file and its name first ("Read file
    // Error", "This file name is too long (Max:259 Bytes)", and over USB a file
    // whose pieces cannot be framed), then connects, sends the name record,
    // pauses 100 ms, sends the content in pieces and reports
    // "IDS_TRANSPORT_COMPLETE" once the instrument has taken it all. Any
    // failed step reports "Fail to send file to EQP" with the reason as its
    // detail (which bound was hit: the overall time limit of the file's size
    // at the protocol's pace, or an instrument that stopped taking data) and
    // ends the send without the completion message. A simulator at its
    // connection limit is reported as busy. Progress: range 0..n+1 with
    // n = size / 2048 (TCP) or size / 3072 (USB). Bounds: device().setLimits().
    // The connection stays open afterwards (the next operation reconnects);
    // disconnect() or the destructor closes it.
    TransferStatus sendFile(const QString &path);
    // As sendFile once the file was read: name is the file's name without
    // its folder, content its bytes (not copied, so many workflows can send
    // one shared QByteArray at once). Same checks, frames and messages.
    TransferStatus sendData(const QString &name, const QByteArray &content);

    // Connects, requests the current setup and writes it to savePath
    // (atomically; "IDS_SAVE_FAIL" with the system's reason as its detail when
    // it cannot be written), then releases the device. Messages: those of
    // connect(), "IDS_RECEIVE_FAIL" with the protocol's error as its detail on
    // a failed reply,
    // "IDS_FIBER_INSPECTION_MODE" when the instrument is in fiber inspection
    // mode (no file is written), "Timeout" with the bound as its detail when a
    // USB reply does not end within the overall limit. The overall limit
    // follows the largest reply the first frame announces. Progress: range
    // 0..total frames, position frames received.
    TransferStatus fetchSetup(const QString &savePath);
    // The same, the setup written as name inside folder (a link there is
    // refused, not followed).
    TransferStatus fetchSetup(const OutputFolder &folder, const QString &name);

    // Asks the running operation to stop at its next wait or piece; it then
    // returns Cancelled. Any thread.
    void cancel();
    // True after a fetch completed and its file was written. Any thread.
    bool receivedOk() const;
    // The protocol's last error text (an identifier such as "STR_ERROR_TIMEOUT"
    // or a literal), including the USB diagnostics ("set UsbVendorId...").
    QString lastError() const;

    CDevComm &device() { return *m_dev; }

private:
    enum class Mode { Idle, SendTcp, SendUsb, Fetch };

    void beginOperation();
    bool doConnect();
    bool connectUsb();
    bool connectTcp();
    bool receiveUntilComplete(int &result);
    TransferStatus sendNamed(const QString &name, const QByteArray &content);
    TransferStatus sendContent(const QString &name, const QByteArray &content);
    TransferStatus receiveSetup();
    // Writes the received bytes; false with the system's reason.
    using SaveFunction = std::function<bool(const QByteArray &data, QString &error)>;
    TransferStatus fetchAndSave(const SaveFunction &save);
    bool saveReceived(const SaveFunction &save);
    bool pause(int milliseconds);
    void report(const Message &message);
    QString protocolErrorText() const;
    void reportReplyFailure();
    void reportFetchFailure();
    void setProgress(int value, int maximum);
    void publishProgress();
    bool cancelled() const { return m_cancel.load(); }

    MessageSink *m_sink;
    CommSettings m_settings;
    TransportFactory m_factory;
    ProgressCallback m_progressCallback;
    std::unique_ptr<CommProgress> m_progress;
    std::unique_ptr<CDevComm> m_dev;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_value{0};
    std::atomic<int> m_maximum{100};
    std::atomic<bool> m_receivedOk{false};
    int m_method = kMethodUsb; // the method of the current connection
    Mode m_mode = Mode::Idle;
    std::atomic<std::thread::id> m_operationThread{};
};

} // namespace stepvane
