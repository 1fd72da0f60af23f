// CDevComm's USB block logic against the in-memory instrument: the mode-switch
// block, request blocks, 3072-byte pieces, and reply blocks read by the worker.
#include "ByteView.h"
#include "comm/CDevComm.h"
#include "comm/MemoryTransport.h"

#include <gtest/gtest.h>

#include <QList>
#include <QStringList>

using namespace stepvane;
using namespace stepvane::frame;

using comm_test::u8;

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
    EXPECT_EQ(rig.log.first(), QStringLiteral("mode-switch block: command mode"));
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
        ASSERT_EQ(rig.dev.UsbSendPathRecord(QStringLiteral("/tmp/w.wzd")), 1);
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
        EXPECT_EQ(rig.files[0].first, QStringLiteral("w.wzd"));
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
