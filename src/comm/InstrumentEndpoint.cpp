// The instrument stand-in's protocol logic: request dispatch, file assembly
// with index checks, setup replies in M frames, and the fault modes.
#include "comm/InstrumentEndpoint.h"

#include "comm/CDevComm.h"
#include "instrument_files/CodePage.h"

#include <algorithm>

namespace stepvane {

namespace {

constexpr int kNameSpace = 260;
constexpr size_t kOversizePayload = 5000;

QByteArray mBody(uint8_t p1, uint32_t total, uint32_t index, const QByteArray &payload)
{
    QByteArray body;
    body.reserve(qsizetype(frame::kHeaderM) + payload.size() + 1);
    body.append(char(frame::kCommandM)).append(char(p1));
    for (uint32_t v : {total, index}) {
        for (int i = 0; i < 4; ++i)
            body.append(char(uint8_t(v >> (8 * i))));
    }
    body.append(payload);
    const uint8_t sum =
        frame::checksum(reinterpret_cast<const uint8_t *>(body.constData()), size_t(body.size()));
    body.append(char(sum));
    return body;
}

// Whether a setup piece's frame fits a USB block whatever its header holds.
bool fitsBlock(const char *data, size_t size)
{
    return 2 + 2 * (frame::kHeaderM + 1) + size +
               frame::countEscapes(reinterpret_cast<const uint8_t *>(data), size) <=
           size_t(InstrumentEndpoint::kBlockSize);
}

} // namespace

bool parseEndpointFault(const QString &text, EndpointFault &fault, int &closeAfter)
{
    static const struct {
        const char *name;
        EndpointFault fault;
    } names[] = {
        {"checksum", EndpointFault::Checksum}, {"gap", EndpointFault::Gap},
        {"stray", EndpointFault::Stray},       {"oversize", EndpointFault::Oversize},
        {"silent", EndpointFault::Silent},
    };
    for (const auto &n : names) {
        if (text == QLatin1String(n.name)) {
            fault = n.fault;
            closeAfter = 0;
            return true;
        }
    }
    const QString prefix = QStringLiteral("close-after=");
    if (text.startsWith(prefix)) {
        bool ok = false;
        const int n = text.mid(prefix.size()).toInt(&ok);
        if (ok && n > 0) {
            fault = EndpointFault::CloseAfter;
            closeAfter = n;
            return true;
        }
    }
    return false;
}

InstrumentEndpoint::InstrumentEndpoint(EndpointOptions options)
    : m_options(std::move(options)), m_decoder(frame::Layout::ByCommand)
{
    m_options.chunk = std::clamp(m_options.chunk, 1, int(frame::kMaxPayload));
}

void InstrumentEndpoint::log(const QString &line)
{
    if (onLog)
        onLog(line);
}

QByteArray InstrumentEndpoint::receiveStream(const uint8_t *data, size_t size)
{
    QByteArray out;
    size_t pos = 0;
    while (pos < size && !m_close) {
        const frame::DecodeResult r = m_decoder.feed(data + pos, size - pos);
        pos += r.consumed;
        if (r.status == frame::DecodeStatus::NeedMore)
            break;
        if (r.status == frame::DecodeStatus::Invalid) {
            log(QStringLiteral("bad frame: %1").arg(QLatin1String(r.error)));
            continue;
        }
        for (const QByteArray &reply : handle(m_decoder.frame(), false))
            out += reply;
    }
    return out;
}

std::vector<QByteArray> InstrumentEndpoint::receiveBlock(const uint8_t *data, size_t size)
{
    std::vector<QByteArray> blocks;
    if (m_close)
        return blocks;
    if (size >= 11 && QByteArray::fromRawData(reinterpret_cast<const char *>(data), 11) ==
                          QByteArrayLiteral("LANCOMMAND\n")) {
        log(QStringLiteral("mode-switch block: command mode"));
        return blocks;
    }
    m_decoder.reset();
    const frame::DecodeResult r = m_decoder.feed(data, size);
    if (r.status == frame::DecodeStatus::NeedMore) {
        log(QStringLiteral("bad block: no complete frame"));
        return blocks;
    }
    if (r.status == frame::DecodeStatus::Invalid) {
        log(QStringLiteral("bad block: %1").arg(QLatin1String(r.error)));
        return blocks;
    }
    for (QByteArray reply : handle(m_decoder.frame(), true)) {
        // A frame longer than a block is cut: the reader finds no end flag.
        reply.resize(kBlockSize, '\0');
        blocks.push_back(reply);
    }
    return blocks;
}

std::vector<QByteArray> InstrumentEndpoint::handle(const frame::Frame &request, bool blocks)
{
    ++m_frames;
    std::vector<QByteArray> replies;
    switch (request.p1) {
    case frame::kHandshake:
        log(QStringLiteral("handshake"));
        replies.push_back(
            frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0, m_options.handshakeReply));
        break;
    case frame::kFileName:
        takeName(request);
        break;
    case frame::kFileContent:
        takeContent(request);
        break;
    case frame::kSetupFetch:
        replies = setupReply(blocks);
        break;
    default:
        log(QStringLiteral("request 0x%1 (command 0x%2, %3 payload bytes) ignored")
                .arg(request.p1, 2, 16, QLatin1Char('0'))
                .arg(request.command, 2, 16, QLatin1Char('0'))
                .arg(request.payloadSize));
        break;
    }
    if (m_options.fault == EndpointFault::Silent && !replies.empty()) {
        log(QStringLiteral("fault silent: no reply"));
        replies.clear();
    }
    if (m_options.fault == EndpointFault::CloseAfter && m_frames >= m_options.closeAfter) {
        log(QStringLiteral("fault close-after=%1: closing").arg(m_options.closeAfter));
        m_close = true;
    }
    return replies;
}

void InstrumentEndpoint::takeName(const frame::Frame &request)
{
    if (m_receiving)
        dropFile(QStringLiteral("a new name record came before the last piece"));
    const auto *p = reinterpret_cast<const char *>(request.payload);
    const qsizetype space = qsizetype(std::min<size_t>(request.payloadSize, kNameSpace));
    qsizetype length = 0;
    while (length < space && p[length] != '\0')
        ++length;
    const QString sent = fromCp1252(p, length);
    m_name = safeWireName(sent);
    m_haveName = true;
    QString line = QStringLiteral("file name record: %1").arg(quotedForLog(m_name));
    if (m_name != sent)
        line += QStringLiteral(" (sent as %1)").arg(quotedForLog(sent));
    if (request.payloadSize != size_t(CDevComm::kNameRecordSize))
        line += QStringLiteral(" (record of %1 bytes, expected 1024)").arg(request.payloadSize);
    log(line);
}

void InstrumentEndpoint::startFile()
{
    m_size = 0;
    m_content.clear();
    m_file.reset();
    if (openFile && m_haveName) {
        m_file = openFile(m_name);
        keep({});
    }
}

void InstrumentEndpoint::keep(const QByteArray &payload)
{
    m_size += payload.size();
    if (!openFile) {
        m_content += payload;
        return;
    }
    if (m_file &&
        (!m_file->append(payload.constData(), payload.size()) || !m_file->failure().isEmpty())) {
        // Said once; the rest of the file is still taken, and counted.
        log(m_file->failure());
        m_file.reset();
    }
}

void InstrumentEndpoint::takeContent(const frame::Frame &request)
{
    const QByteArray payload = request.payloadBytes();
    if (request.layout == frame::Layout::A) {
        if (m_receiving)
            dropFile(QStringLiteral("a whole file came before the last piece"));
        log(QStringLiteral("file content in one frame (%1 bytes)").arg(payload.size()));
        startFile();
        keep(payload);
        finishFile();
        return;
    }
    if (request.index == 0) {
        if (m_receiving)
            dropFile(QStringLiteral("piece 0 came again before the last piece"));
        m_receiving = true;
        m_total = request.total;
        m_next = 0;
        startFile();
    }
    if (!m_receiving) {
        log(QStringLiteral("piece %1 of %2 without piece 0: ignored")
                .arg(request.index)
                .arg(request.total));
        return;
    }
    if (request.total != m_total) {
        dropFile(QStringLiteral("piece %1 announces %2 pieces, piece 0 announced %3")
                     .arg(request.index)
                     .arg(request.total)
                     .arg(m_total));
        return;
    }
    if (request.index != m_next) {
        dropFile(QStringLiteral("piece index %1, expected %2").arg(request.index).arg(m_next));
        return;
    }
    if (m_size + payload.size() > m_options.maxFileSize) {
        dropFile(QStringLiteral("the file exceeds %1 bytes").arg(m_options.maxFileSize));
        return;
    }
    keep(payload);
    ++m_next;
    log(QStringLiteral("file piece %1/%2 (%3 bytes)").arg(m_next).arg(m_total).arg(payload.size()));
    if (m_next >= m_total)
        finishFile();
}

void InstrumentEndpoint::finishFile()
{
    m_receiving = false;
    if (!m_haveName) {
        log(QStringLiteral("file content without a name record: not kept (%1 bytes)").arg(m_size));
    } else {
        log(QStringLiteral("file complete: %1 (%2 bytes)").arg(quotedForLog(m_name)).arg(m_size));
        if (m_file) {
            for (const QString &line : m_file->finish())
                log(line);
        } else if (!openFile && onFile) {
            onFile(m_name, m_content);
        }
    }
    m_haveName = false;
    m_file.reset();
    m_content.clear();
    m_size = 0;
}

void InstrumentEndpoint::linkClosed()
{
    if (m_receiving)
        dropFile(QStringLiteral("the connection ended before the last piece"));
}

void InstrumentEndpoint::dropFile(const QString &why)
{
    log(QStringLiteral("file dropped: %1").arg(why));
    m_receiving = false;
    m_haveName = false;
    m_file.reset();
    m_content.clear();
    m_size = 0;
}

std::vector<QByteArray> InstrumentEndpoint::setupReply(bool blocks)
{
    std::vector<QByteArray> frames;
    if (m_options.fiber) {
        log(QStringLiteral("setup fetch: fiber inspection mode"));
        frames.push_back(frame::frameM(frame::kFiberReply, 1, 0));
        return frames;
    }
    const QByteArray &data = m_options.setup;
    std::vector<QByteArray> pieces;
    qsizetype pos = 0;
    do {
        qsizetype length = std::min<qsizetype>(m_options.chunk, data.size() - pos);
        while (blocks && length > 1 && !fitsBlock(data.constData() + pos, size_t(length)))
            length = length * 3 / 4;
        pieces.push_back(data.mid(pos, length));
        pos += length;
    } while (pos < data.size());

    auto total = uint32_t(pieces.size());
    const EndpointFault fault = m_options.fault;
    if (fault == EndpointFault::Gap && total == 1)
        total = 2; // the only frame then claims index 1 of 2
    for (uint32_t i = 0; i < uint32_t(pieces.size()); ++i) {
        uint32_t index = i;
        if (fault == EndpointFault::Gap) {
            if (pieces.size() == 1)
                index = 1;
            else if (i == 1)
                continue;
        }
        QByteArray payload = pieces[i];
        if (fault == EndpointFault::Oversize && i == 0)
            payload = QByteArray(kOversizePayload, 'X');
        QByteArray body = mBody(frame::kSetupFetch, total, index, payload);
        if (fault == EndpointFault::Checksum && i + 1 == pieces.size())
            body[body.size() - 1] = char(body.back() ^ 0x5A);
        frames.push_back(frame::frameFromBody(body));
    }
    if (fault == EndpointFault::Stray && !frames.empty())
        frames.front().prepend(QByteArrayLiteral("\x01\x02stray"));
    QString line = QStringLiteral("setup fetch: %1 bytes in %2 frames").arg(data.size()).arg(total);
    if (fault != EndpointFault::None && fault != EndpointFault::Silent &&
        fault != EndpointFault::CloseAfter)
        line += QStringLiteral(" (fault applied)");
    log(line);
    return frames;
}

} // namespace stepvane
