// CDevComm over a stream (the TCP path) against a scripted in-memory link:
// the requests it writes, the pieces of a file, and how replies are joined,
// split and refused; and its USB block logic against the in-memory
// instrument: the mode-switch block, request blocks, 3072-byte pieces, and
// reply blocks read by the worker.
#include "ByteView.h"
#include "comm/CDevComm.h"
#include "comm/MemoryTransport.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

using namespace stepvane;
using namespace stepvane::frame;

using comm_test::u8;

namespace {

struct StreamRig {
    std::shared_ptr<MemoryLink> link = std::make_shared<MemoryLink>(MemoryLink::Framing::Stream);
    CommProgress progress;
    CDevComm dev;
    StreamRig()
    {
        EXPECT_EQ(dev.ConnectStream(std::make_unique<MemoryTransport>(link), CDevComm::kKindIPv4,
                                    &progress),
                  1);
        dev.setReceiveTiming({30, 1, 3}); // time-outs in a few tens of ms
    }
    // Receive steps until the reply is whole or has failed; its last result.
    int receiveAll(int *calls = nullptr)
    {
        int r = 0, n = 0;
        while (n < 1000 && r >= 0 && r < 100)
            r = dev.ReceiveStep(), ++n;
        if (calls)
            *calls = n;
        return r;
    }
    // Every frame the link saw, decoded.
    std::vector<Frame> framesWritten(QList<QByteArray> *payloads)
    {
        std::vector<Frame> frames;
        FrameDecoder d(Layout::ByCommand);
        for (const QByteArray &w : link->written()) {
            const DecodeResult r = d.feed(u8(w), size_t(w.size()));
            EXPECT_EQ(r.status, DecodeStatus::Frame);
            EXPECT_EQ(r.consumed, size_t(w.size())) << "one frame per write";
            frames.push_back(d.frame());
            payloads->append(d.frame().payloadBytes());
        }
        return frames;
    }
};

QByteArray pattern(int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((i * 7 + i / 251) & 0xFF); // every byte value, specials included
    return out;
}

// A setup reply of this many payload bytes in full frames of 4099 bytes.
QByteArray replyOf(int bytes)
{
    const uint32_t frames = uint32_t((bytes + 4098) / 4099);
    QByteArray out;
    for (uint32_t i = 0; i < frames; ++i)
        out += frameM(0x17, frames, i, QByteArray(std::min(4099, bytes - int(i) * 4099), 'd'));
    return out;
}

} // namespace

TEST(DevComm, RequestsAreWrittenAsSpecifiedFrames)
{
    StreamRig rig;
    ASSERT_EQ(rig.dev.SendCommand(0x41, 0x50), 1);
    ASSERT_EQ(rig.dev.SendRequest(0x41, 0x17, nullptr, 0), 1);
    const QString name = "Pr\u00fcfung.wzd";
    ASSERT_EQ(rig.dev.SendNameRecord(0x41, 0x19, name), 1);
    ASSERT_EQ(rig.dev.SendNameValue(0x41, 0x33, "abc", 0x01020304), 1);
    const QList<QByteArray> w = rig.link->written();
    ASSERT_EQ(w.size(), 4);
    EXPECT_EQ(w[0], QByteArray::fromHex("7f41500100927e"));
    EXPECT_EQ(w[1], QByteArray::fromHex("7f41170100597e"));

    QList<QByteArray> payloads;
    const auto frames = rig.framesWritten(&payloads);
    QByteArray record(1024, '\0');
    record.replace(0, 11, QByteArrayLiteral("Pr\xfc") + "fung.wzd");
    EXPECT_EQ(frames[2].p1, 0x19);
    EXPECT_EQ(payloads[2], record);
    QByteArray shortRecord(84, '\0');
    shortRecord.replace(0, 3, "abc");
    shortRecord.replace(80, 4, QByteArray::fromHex("04030201"));
    EXPECT_EQ(payloads[3], shortRecord);

    // 259 bytes of name fit the record and 79 the short one, each with its
    // NUL; one byte more is refused and nothing is written.
    EXPECT_EQ(rig.dev.SendNameRecord(0x41, 0x19, QString(259, u'n')), 1);
    EXPECT_EQ(rig.dev.SendNameRecord(0x41, 0x19, QString(260, u'n')), 0);
    EXPECT_EQ(rig.dev.SendNameShort(0x41, 0x19, QString(79, u'n')), 1);
    EXPECT_EQ(rig.dev.SendNameShort(0x41, 0x19, QString(80, u'n')), 0);
    EXPECT_EQ(rig.dev.SendNameValue(0x41, 0x33, QByteArray(79, 'v'), 7), 1);
    EXPECT_EQ(rig.dev.SendNameValue(0x41, 0x33, QByteArray(80, 'v'), 7), 0);
    EXPECT_EQ(rig.link->written().size(), 7);
    QList<QByteArray> all;
    rig.framesWritten(&all);
    ASSERT_EQ(all.size(), 7);
    EXPECT_EQ(all[4].left(260), QByteArray(259, 'n') + '\0');
    EXPECT_EQ(all[5], QByteArray(79, 'n') + '\0' + QByteArray::fromHex("01000000"));
    EXPECT_EQ(all[6], QByteArray(79, 'v') + '\0' + QByteArray::fromHex("07000000"));
}

TEST(DevComm, FileContentGoesInPiecesOf2048)
{
    for (int size : {0, 100, 1023, 1024, 2048, 4096, 5000}) {
        SCOPED_TRACE(size);
        StreamRig rig;
        const QByteArray file = pattern(size);
        ASSERT_EQ(rig.dev.SendFile(0x41, 0x18, size, u8(file)), 1);
        QList<QByteArray> payloads;
        const auto frames = rig.framesWritten(&payloads);
        if (size < 1024) {
            ASSERT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames[0].layout, Layout::A);
            EXPECT_EQ(frames[0].command, 0x41);
            EXPECT_EQ(frames[0].total, 1u);
            EXPECT_EQ(frames[0].index, 0u);
        } else {
            const int n = size / 2048;
            ASSERT_EQ(int(frames.size()), n + 1);
            for (int i = 0; i <= n; ++i) {
                EXPECT_EQ(frames[size_t(i)].layout, Layout::M);
                EXPECT_EQ(frames[size_t(i)].p1, 0x18);
                EXPECT_EQ(frames[size_t(i)].total, uint32_t(n + 1));
                EXPECT_EQ(frames[size_t(i)].index, uint32_t(i));
                EXPECT_EQ(payloads[i].size(), i < n ? 2048 : size % 2048);
            }
            EXPECT_EQ(rig.progress.lastSentPiece.load(), n);
        }
        EXPECT_EQ(payloads.join(), file);
        EXPECT_EQ(rig.progress.bytesSent.load(), size);
    }
}

TEST(DevComm, AFailedWriteFailsTheFile)
{
    StreamRig rig;
    rig.link->setFailWritesFrom(1);
    const QByteArray file = pattern(5000);
    EXPECT_EQ(rig.dev.SendFile(0x41, 0x18, 5000, u8(file)), 0);
    EXPECT_EQ(rig.link->written().size(), 2); // piece 1 was tried, piece 2 never
    EXPECT_EQ(rig.dev.SendCommand(0x41, 0x50), 0);
}

TEST(DevComm, RepliesJoinedAndSplitAcrossReads)
{
    const QByteArray one = frameM(0x17, 2, 0, "first-");
    const QByteArray two = frameM(0x17, 2, 1, "second");
    StreamRig joined; // both frames in one read: the second is filed from pending bytes
    joined.dev.SetOperation(CDevComm::kOpSetup);
    joined.link->queueRead(one + two);
    EXPECT_EQ(joined.dev.ReceiveStep(), 50);
    EXPECT_EQ(joined.dev.ReceiveStep(), 100); // nothing more to read: a read would time out
    EXPECT_EQ(joined.dev.receivedData(), QByteArray("first-second"));
    EXPECT_EQ(joined.progress.receiveCurrent.load(), 2);

    StreamRig split; // one frame cut in three reads, then the next one whole
    split.dev.SetOperation(CDevComm::kOpSetup);
    for (const QByteArray &piece : {one.left(3), one.mid(3, 5), one.mid(8)})
        split.link->queueRead(piece);
    EXPECT_EQ(split.dev.ReceiveStep(), 50);
    split.link->queueRead(two);
    EXPECT_EQ(split.dev.ReceiveStep(), 100);
    EXPECT_EQ(split.dev.receivedData(), QByteArray("first-second"));
}

TEST(DevComm, ReplyFailureTable)
{
    QByteArray badSum = frameA(0x41, 0x50, 1, 0, "x");
    badSum[badSum.size() - 2] = char(badSum.at(badSum.size() - 2) + 1);
    const QByteArray tooMuch = replyOf(CDevComm::kBufferSize + 1); // one byte past the buffer
    const int hello = CDevComm::kOpHandshake, setup = CDevComm::kOpSetup;
    const struct {
        const char *name;
        int operation;
        QList<QByteArray> reads;
        int result;
        QString error;
    } cases[] = {
        {"no reply", hello, {}, -1, "STR_ERROR_TIMEOUT"},
        {"a frame that never ends",
         hello,
         {QByteArray::fromHex("7f4150")},
         -1,
         "STR_ERROR_TIMEOUT"},
        {"stray bytes", hello, {"\x01" + frameA(0x41, 0x50, 1, 0)}, -1, "STR_ERROR_PACKET"},
        {"checksum", hello, {badSum}, -1, "STR_ERROR_CHECKSUM"},
        {"fiber inspection mode", setup, {frameM(0x20, 1, 0)}, -3, "IDS_FIBER_INSPECTION_MODE"},
        {"index gap",
         setup,
         {frameM(0x17, 3, 0, "a") + frameM(0x17, 3, 2, "c")},
         -1,
         "Communication Error!"},
        {"reply without its first frame",
         setup,
         {frameM(0x17, 2, 1, "b")},
         -1,
         "Communication Error!"},
        {"frame above 4099 bytes",
         setup,
         {frameM(0x17, 1, 0, QByteArray(4100, 'a'))},
         -1,
         QString::fromLatin1(kErrorTooLong)},
        {"800001 bytes", setup, {tooMuch}, -1, "Reply data too long (more than 800000 bytes)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StreamRig rig;
        // A handshake first, so a reply that lacks its frame 0 cannot lean on it.
        rig.link->queueRead(frameA(0x41, 0x50, 1, 0, "hi"));
        ASSERT_EQ(rig.dev.SendCommand(0x41, 0x50), 1);
        ASSERT_EQ(rig.dev.ReceiveStep(), 100);
        ASSERT_EQ(rig.dev.SendRequest(0x41, 0x17, nullptr, 0), 1);
        rig.dev.SetOperation(c.operation);
        for (const QByteArray &r : c.reads)
            rig.link->queueRead(r);
        EXPECT_EQ(rig.receiveAll(), c.result);
        EXPECT_EQ(rig.dev.GetErrorMessage(), c.error);
        EXPECT_EQ(rig.progress.receivedOk.load(), 0);
        EXPECT_LE(rig.dev.GetReceivedSize(), CDevComm::kBufferSize);
    }
}

TEST(DevComm, AReplyThatFillsTheBufferExactlyIsTaken)
{
    StreamRig rig;
    rig.dev.SetOperation(CDevComm::kOpSetup);
    rig.link->queueRead(replyOf(CDevComm::kBufferSize));
    EXPECT_EQ(rig.receiveAll(), 100) << rig.dev.GetErrorMessage().toStdString();
    EXPECT_EQ(rig.dev.receivedData(), QByteArray(CDevComm::kBufferSize, 'd'));
}

TEST(DevComm, ManySmallFramesInOneReadAreFiledWithoutRecursion)
{
    StreamRig rig;
    rig.dev.SetOperation(CDevComm::kOpSetup);
    constexpr uint32_t kFrames = 100000;
    QByteArray all;
    all.reserve(kFrames * 14);
    for (uint32_t i = 0; i < kFrames; ++i)
        all += frameM(0x17, kFrames, i, QByteArray(1, char('a' + i % 26)));
    rig.link->queueRead(all);
    int calls = 0;
    EXPECT_EQ(rig.receiveAll(&calls), 100);
    EXPECT_LE(calls, 10); // one call per read, not one per frame
    ASSERT_EQ(rig.dev.GetReceivedSize(), int(kFrames));
    EXPECT_EQ(rig.dev.receivedData().at(kFrames - 1), char('a' + (kFrames - 1) % 26));
}

// ---- USB blocks

namespace {

struct UsbRig {
    std::shared_ptr<InstrumentEndpoint> endpoint;
    std::shared_ptr<MemoryLink> link;
    CommProgress progress;
    CDevComm dev;
    QStringList log;
    QList<QPair<QString, QByteArray>> files;

    explicit UsbRig(EndpointOptions options = {}, bool withEndpoint = true)
    {
        if (withEndpoint) {
            endpoint = std::make_shared<InstrumentEndpoint>(options);
            endpoint->onLog = [this](const QString &l) { log << l; };
            endpoint->onFile = [this](const QString &n, const QByteArray &c) {
                files.append({n, c});
            };
        }
        link = std::make_shared<MemoryLink>(MemoryLink::Framing::Blocks, endpoint);
        EXPECT_EQ(dev.StartUsb(&progress, std::make_unique<MemoryTransport>(link)), 1);
    }
    int request(uint8_t p1, int operation)
    {
        dev.SetOperation(operation);
        if (!dev.UsbSendCommand(p1, nullptr, 0, true))
            return 0;
        return dev.WaitUsbReply(5000);
    }
};

QByteArray block(const QByteArray &frame)
{
    QByteArray b = frame;
    b.resize(4096, '\0');
    return b;
}

} // namespace

TEST(Usb, ModeSwitchThenHandshakeBlock)
{
    UsbRig rig;
    ASSERT_EQ(rig.request(kHandshake, CDevComm::kOpHandshake), 1);
    const QList<QByteArray> w = rig.link->written();
    ASSERT_EQ(w.size(), 2);
    QByteArray modeSwitch(4096, '\0');
    modeSwitch.replace(0, 11, "LANCOMMAND\n");
    EXPECT_EQ(w[0], modeSwitch);
    EXPECT_EQ(w[1], block(QByteArray::fromHex("7f41500100927e")));
    EXPECT_EQ(rig.dev.receivedData(), QByteArray("VX-SIM"));
    EXPECT_EQ(rig.log.first(), "mode-switch block: command mode");
}

TEST(Usb, FilePiecesOf3072)
{
    const struct {
        int size;
        QList<int> pieces;
    } cases[] = {
        {100, {100}},
        {1023, {1023}},
        {3072, {3072, 0}},
        {7000, {3072, 3072, 856}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        UsbRig rig;
        QByteArray file(c.size, '\0');
        for (int i = 0; i < c.size; ++i)
            file[i] = char(i % 253);
        ASSERT_EQ(rig.dev.UsbSendPathRecord("/tmp/w.wzd"), 1);
        ASSERT_EQ(rig.dev.UsbSendFile(c.size, u8(file)), 1);
        const QList<QByteArray> w = rig.link->written();
        ASSERT_EQ(w.size(), 2 + c.pieces.size()); // mode switch, name, pieces
        for (int i = 0; i < c.pieces.size(); ++i) {
            const QByteArray &b = w[2 + i];
            ASSERT_EQ(b.size(), 4096);
            FrameDecoder d(Layout::M);
            ASSERT_EQ(d.feed(u8(b), 4096).status, DecodeStatus::Frame);
            EXPECT_EQ(d.frame().total, uint32_t(c.pieces.size()));
            EXPECT_EQ(d.frame().index, uint32_t(i));
            EXPECT_EQ(int(d.frame().payloadSize), c.pieces[i]);
        }
        ASSERT_EQ(rig.files.size(), 1);
        EXPECT_EQ(rig.files[0].first, "w.wzd");
        EXPECT_EQ(rig.files[0].second, file);
        EXPECT_EQ(rig.progress.usbPosition.load(), c.pieces.size());
    }
}

TEST(Usb, SetupFetchOverSeveralBlocksAndFiber)
{
    EndpointOptions options;
    options.setup = QByteArray(9000, '\x7e'); // every byte escaped: pieces shrink to fit blocks
    UsbRig rig(options);
    ASSERT_EQ(rig.request(kSetupFetch, CDevComm::kOpSetup), 1);
    EXPECT_EQ(rig.dev.receivedData(), options.setup);
    EXPECT_EQ(rig.progress.receivedOk.load(), 1);
    EXPECT_GT(rig.progress.receiveTotal.load(), 2);
    EXPECT_EQ(rig.progress.receiveCurrent.load(), rig.progress.receiveTotal.load());
    EXPECT_FALSE(rig.dev.fiberMode());

    EndpointOptions fiber;
    fiber.fiber = true;
    UsbRig fiberRig(fiber);
    ASSERT_EQ(fiberRig.request(kSetupFetch, CDevComm::kOpSetup), 1);
    EXPECT_TRUE(fiberRig.dev.fiberMode());
    EXPECT_EQ(fiberRig.dev.receivedData(), QByteArray::fromHex("7f4d2001"));
}

TEST(Usb, ReplyBlockFailures)
{
    const struct {
        const char *name;
        QByteArray reply;
        bool setup; // a setup fetch, else a handshake
        QString error;
    } cases[] = {
        {"garbage before 0x7F", block("junk" + frameA(0x41, 0x50, 1, 0, "x")), false,
         "STR_ERROR_PACKET"},
        {"frame longer than its block", block(frameM(0x17, 1, 0, QByteArray(5000, 'a')).left(4096)),
         true, "STR_ERROR_PACKET"},
        {"frame start without end", block(QByteArray::fromHex("7f4d17")), true, "STR_ERROR_PACKET"},
        {"index gap", block(frameM(0x17, 3, 1, "x")), true, "Communication Error!"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UsbRig rig({}, false);
        rig.link->queueRead(c.reply);
        EXPECT_EQ(c.setup ? rig.request(kSetupFetch, CDevComm::kOpSetup)
                          : rig.request(kHandshake, CDevComm::kOpHandshake),
                  -1);
        EXPECT_EQ(rig.dev.GetErrorMessage(), c.error);
        EXPECT_EQ(rig.progress.receivedOk.load(), 0);
    }
}

TEST(Usb, PiecesThatCannotBeFramedAreRefused)
{
    const QByteArray plain(7000, 'a');
    QByteArray dense = plain;
    dense.replace(3072, 1100, QByteArray(1100, '\x7d')); // second piece grows past 4096
    EXPECT_TRUE(CDevComm::UsbPiecesFit(u8(plain), 7000));
    EXPECT_FALSE(CDevComm::UsbPiecesFit(u8(dense), 7000));
    UsbRig rig({}, false);
    EXPECT_EQ(rig.dev.UsbSendPiece(2, 1, u8(dense) + 3072, 3072), 0);
    EXPECT_EQ(rig.link->written().size(), 1); // only the mode switch
}

TEST(Usb, ReleaseStopsTheReaderAndAStartFailureLeavesNoDevice)
{
    {
        UsbRig rig({}, false);
        rig.dev.SetOperation(CDevComm::kOpSetup);
        ASSERT_EQ(rig.dev.UsbSendCommand(kSetupFetch, nullptr, 0, true), 1);
        rig.dev.Release(); // the worker is waiting for a block; it must end now
        EXPECT_FALSE(rig.dev.usbStarted());
    }
    auto link = std::make_shared<MemoryLink>(MemoryLink::Framing::Blocks);
    link->setConnectFails(true);
    CDevComm dev;
    EXPECT_EQ(dev.StartUsb(nullptr, std::make_unique<MemoryTransport>(link)), -1);
    EXPECT_FALSE(dev.usbStarted());
    EXPECT_EQ(dev.UsbSendCommand(kHandshake, nullptr, 0, true), 0);
}
