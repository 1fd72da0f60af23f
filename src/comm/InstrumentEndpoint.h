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

#include <functional>
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

    // True once the endpoint wants the link closed (close-after fault).
    bool wantsClose() const { return m_close; }
    int framesReceived() const { return m_frames; }
    const EndpointOptions &options() const { return m_options; }

    // One line per exchange.
    std::function<void(const QString &line)> onLog;
    // A file arrived whole: the announced name (last path component only,
    // may be empty) and the content.
    std::function<void(const QString &name, const QByteArray &content)> onFile;

private:
    // Reply frames to one request, encoded; blocks: each must fit a block.
    std::vector<QByteArray> handle(const frame::Frame &request, bool blocks);
    std::vector<QByteArray> setupReply(bool blocks);
    void takeName(const frame::Frame &request);
    void takeContent(const frame::Frame &request);
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
    QByteArray m_content;
};

} // namespace stepvane
