// Fuzz target for everything that reads frames from the far end: the
// incremental decoder fed in pieces, CDevComm's reply loop (stream and USB
// blocks), and the simulator's request parser. Checks the decoder's promises:
// progress on every call, consumption within the input, payloads within 4099
// bytes, received data within its buffer.
#include "comm/CDevComm.h"
#include "comm/FrameCodec.h"
#include "comm/InstrumentEndpoint.h"
#include "comm/MemoryTransport.h"

#include <cstdlib>

using namespace stepvane;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void fuzzDecoder(const uint8_t *data, size_t size, frame::Layout layout, size_t piece)
{
    frame::FrameDecoder decoder(layout);
    decoder.setFiberCheck(layout == frame::Layout::M);
    size_t pos = 0;
    while (pos < size) {
        const size_t end = std::min(size, pos + piece);
        while (pos < end) {
            const frame::DecodeResult r = decoder.feed(data + pos, end - pos);
            check(r.consumed <= end - pos);
            check(r.consumed > 0 || r.status == frame::DecodeStatus::NeedMore);
            if (r.status == frame::DecodeStatus::Frame)
                check(decoder.frame().payloadSize <= frame::kMaxPayload);
            if (r.status == frame::DecodeStatus::NeedMore) {
                check(r.consumed == end - pos);
            }
            pos += r.consumed;
        }
    }
}

void fuzzDevComm(const uint8_t *data, size_t size, bool setup, size_t piece)
{
    // One object for every input: its 2.4 MB of buffers are made once, and
    // each request below starts its reply afresh.
    static CDevComm dev;
    auto link = std::make_shared<MemoryLink>(MemoryLink::Framing::Stream);
    dev.ConnectStream(std::make_unique<MemoryTransport>(link), CDevComm::kKindIPv4, nullptr);
    dev.setReceiveTiming({0, 0, 2});
    for (size_t pos = 0; pos < size; pos += piece)
        link->queueRead(QByteArray(reinterpret_cast<const char *>(data + pos),
                                   qsizetype(std::min(piece, size - pos))));
    if (dev.SendRequest(frame::kCommandA, setup ? frame::kSetupFetch : 0x50, nullptr, 0) != 1)
        std::abort();
    dev.SetOperation(setup ? CDevComm::kOpSetup : CDevComm::kOpHandshake);
    int r = 0;
    for (int guard = 0; guard < 100000 && r >= 0 && r < 100; ++guard)
        r = dev.ReceiveStep();
    check(dev.GetReceivedSize() >= 0 && dev.GetReceivedSize() <= CDevComm::kBufferSize);
    dev.Disconnect();
}

void fuzzEndpoint(const uint8_t *data, size_t size)
{
    EndpointOptions options;
    options.setup =
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(std::min<size_t>(size, 9000)));
    options.maxFileSize = 1 << 20;
    InstrumentEndpoint stream(options);
    stream.receiveStream(data, size);
    InstrumentEndpoint blocks(options);
    for (size_t pos = 0; pos < size; pos += 4096) {
        for (const QByteArray &b :
             blocks.receiveBlock(data + pos, std::min<size_t>(4096, size - pos)))
            check(b.size() == 4096);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    const size_t piece = 1 + data[1] * 37u;
    data += 2;
    size -= 2;
    fuzzDecoder(data, size, static_cast<frame::Layout>(mode % 3), piece);
    if (mode & 0x04)
        fuzzDevComm(data, size, (mode & 0x08) != 0, piece);
    if (mode & 0x10)
        fuzzEndpoint(data, size);
    return 0;
}
