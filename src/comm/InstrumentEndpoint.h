// The instrument's side of the protocol, free of any transport: it takes the
// bytes (TCP) or 4096-byte blocks (USB) the editor writes, answers the
// handshake and the setup fetch, and assembles a sent file from its name
// record and content frames. stepvane-sim runs it behind sockets; the tests
// run it behind the in-memory transport. Fault modes make its replies wrong
// on purpose, one kind per run.
#pragma once

#include "comm/FrameCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace stepvane {

enum class EndpointFault {
    None,
    Checksum,   // the setup reply's last frame carries a wrong checksum
    Gap,        // the setup reply skips index 1
    Stray,      // bytes before the first setup reply frame
    Oversize,   // a setup reply frame with more than 4099 payload bytes
    Silent,     // no reply to anything
    CloseAfter, // close the link after N received frames
};

struct EndpointOptions {
    QByteArray setup;   // the file a setup fetch returns
    int chunk = 4096;   // payload bytes per setup reply frame, 1..4099
    bool fiber = false; // answer the setup fetch with the fiber-inspection reply
    EndpointFault fault = EndpointFault::None;
    int closeAfter = 0; // frames, for CloseAfter
    QByteArray handshakeReply = QByteArrayLiteral("VX-SIM");
    qint64 maxFileSize = 256ll * 1024 * 1024;
};

// A name from the wire made safe for a file name and a log line: its last
// path component, every control, format or line-separator character (escape
// sequences, newlines, bidirectional overrides) replaced by '_'. Empty when
// nothing usable is left ("", ".", "..").
QString safeWireName(const QString &name);
// A text for a log line: in double quotes, with backslash escapes for
// quotes, backslashes and every character that is not plainly printable.
QString quotedForLog(const QString &text);

// Where a received file's content goes while it arrives (the simulator's
// store writes it to disk), so an upload never has to fit in memory.
class ReceivedFile {
public:
    virtual ~ReceivedFile() = default; // an unfinished file is dropped
    // False once the file cannot be kept; failure() then says why.
    virtual bool append(const char *data, qsizetype size) = 0;
    // The file is whole: the lines to log.
    virtual QStringList finish() = 0;
    // The line to log once the file failed; empty while all is well.
    virtual QString failure() const = 0;
};

// Parses "checksum", "gap", "stray", "oversize", "silent" or "close-after=N".
bool parseEndpointFault(const QString &text, EndpointFault &fault, int &closeAfter);

class InstrumentEndpoint {
public:
    static constexpr int kBlockSize = 4096;

    explicit InstrumentEndpoint(EndpointOptions options = {});

    // TCP: bytes as they arrive (any split); returns the bytes to send back.
    QByteArray receiveStream(const uint8_t *data, size_t size);
    // USB: one block; returns the reply blocks, each kBlockSize bytes.
    std::vector<QByteArray> receiveBlock(const uint8_t *data, size_t size);

    // The link is gone: an unfinished file is dropped (and said so).
    void linkClosed();
    // True once the endpoint wants the link closed (close-after fault).
    bool wantsClose() const { return m_close; }
    int framesReceived() const { return m_frames; }
    const EndpointOptions &options() const { return m_options; }

    // One line per exchange.
    std::function<void(const QString &line)> onLog;
    // When set, a file's content goes to what this returns for its (safe)
    // name as it arrives; onFile is then not called.
    std::function<std::unique_ptr<ReceivedFile>(const QString &name)> openFile;
    // Without openFile: a file arrived whole, with its safe name (may be
    // empty) and its content.
    std::function<void(const QString &name, const QByteArray &content)> onFile;

private:
    // Reply frames to one request, encoded; blocks: each must fit a block.
    std::vector<QByteArray> handle(const frame::Frame &request, bool blocks);
    std::vector<QByteArray> setupReply(bool blocks);
    void takeName(const frame::Frame &request);
    void takeContent(const frame::Frame &request);
    void startFile();
    void keep(const QByteArray &payload);
    void finishFile();
    void dropFile(const QString &why);
    void log(const QString &line);

    EndpointOptions m_options;
    frame::FrameDecoder m_decoder;
    bool m_close = false;
    int m_frames = 0;

    bool m_haveName = false;
    QString m_name;
    bool m_receiving = false; // numbered pieces in progress
    uint32_t m_total = 0;
    uint32_t m_next = 0;
    QByteArray m_content;                 // without openFile
    std::unique_ptr<ReceivedFile> m_file; // with openFile
    qint64 m_size = 0;                    // bytes of the file so far
};

} // namespace stepvane
