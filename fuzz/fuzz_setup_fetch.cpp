// libFuzzer target: the instrument's reply to a setup fetch, arriving over
// TCP in pieces of any size: the request, the reply loop, and the setup file
// the fetch keeps, summarised as a load step shows it. One connection object
// serves every input, so its receive buffers are made once; each request
// starts its reply afresh.
#include "comm/CDevComm.h"
#include "comm/FrameCodec.h"
#include "comm/MemoryTransport.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <cstdint>
#include <cstdlib>

using namespace stepvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = 1 + data[0] * 61u;
    ++data;
    --size;
    static CDevComm dev;
    auto link = std::make_shared<MemoryLink>(MemoryLink::Framing::Stream);
    if (!dev.ConnectStream(std::make_unique<MemoryTransport>(link), CDevComm::kKindIPv4, nullptr))
        std::abort();
    dev.setReceiveTiming({0, 0, 2});
    for (size_t pos = 0; pos < size; pos += piece)
        link->queueRead(QByteArray(reinterpret_cast<const char *>(data + pos),
                                   qsizetype(std::min(piece, size - pos))));
    if (dev.SendRequest(frame::kCommandA, frame::kSetupFetch, nullptr, 0) != 1)
        std::abort();
    dev.SetOperation(CDevComm::kOpSetup);
    int r = 0;
    for (int guard = 0; guard < 100000 && r >= 0 && r < 100; ++guard)
        r = dev.ReceiveStep();
    if (dev.GetReceivedSize() < 0 || dev.GetReceivedSize() > CDevComm::kBufferSize)
        std::abort();
    if (r == 100) {
        VX_CAA_SETUP_PARSER setup;
        setup.loadFromBytes(dev.receivedData());
        if (!setup.Summary(QStringLiteral("fetched.sta"))
                 .startsWith(QLatin1String(" 1. File Name: ")))
            std::abort();
    }
    dev.Disconnect();
    return 0;
}
