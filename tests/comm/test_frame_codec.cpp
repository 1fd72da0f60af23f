// Frame encoding and the incremental decoder: the protocol's byte vectors,
// stuffing of every special byte, word-at-a-time scanning against a byte-wise
// reference, and frames split and joined across reads.
#include "ByteView.h"
#include "comm/CDevComm.h"
#include "comm/FrameCodec.h"
#include "comm/InstrumentEndpoint.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <QRandomGenerator>
#include <QRegularExpression>

using namespace stepvane;
using namespace stepvane::frame;

using comm_test::u8;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator rng(seed);
    QByteArray out(size, '\0');
    for (auto &c : out)
        c = char(rng.bounded(256));
    return out;
}

// Feeds the input in pieces of the given sizes (the last piece takes the rest)
// and collects every frame's payload and every error.
struct Fed {
    QList<QByteArray> payloads;
    QList<Frame> frames;
    QStringList errors;
};

Fed feedPieces(FrameDecoder &d, const QByteArray &input, const QList<int> &cuts)
{
    Fed fed;
    qsizetype pos = 0;
    QList<int> pieces = cuts;
    pieces.append(int(input.size()));
    for (int end : pieces) {
        end = int(std::min<qsizetype>(end, input.size()));
        while (pos < end) {
            const DecodeResult r = d.feed(u8(input) + pos, size_t(end - pos));
            pos += qsizetype(r.consumed);
            if (r.status == DecodeStatus::Frame) {
                fed.payloads << d.frame().payloadBytes();
                fed.frames << d.frame();
            } else if (r.status == DecodeStatus::Invalid) {
                fed.errors << QString::fromLatin1(r.error);
            }
        }
    }
    return fed;
}

} // namespace

TEST(FrameCodec, ProtocolByteVectors)
{
    EXPECT_EQ(frameA(0x41, 0x50, 1, 0), bytes({0x7F, 0x41, 0x50, 0x01, 0x00, 0x92, 0x7E}));
    EXPECT_EQ(frameA(0x41, 0x17, 1, 0), bytes({0x7F, 0x41, 0x17, 0x01, 0x00, 0x59, 0x7E}));
    // Each special payload byte goes out escaped; the checksum is over the
    // unescaped bytes: 41+18+01+00+7E = 0xD8, 41+18+01+00+7D = 0xD7, ... 7F = 0xD9.
    EXPECT_EQ(frameA(0x41, 0x18, 1, 0, bytes({0x7E})),
              bytes({0x7F, 0x41, 0x18, 0x01, 0x00, 0x7D, 0x5E, 0xD8, 0x7E}));
    EXPECT_EQ(frameA(0x41, 0x18, 1, 0, bytes({0x7D})),
              bytes({0x7F, 0x41, 0x18, 0x01, 0x00, 0x7D, 0x5D, 0xD7, 0x7E}));
    EXPECT_EQ(frameA(0x41, 0x18, 1, 0, bytes({0x7F})),
              bytes({0x7F, 0x41, 0x18, 0x01, 0x00, 0x7D, 0x5F, 0xD9, 0x7E}));
    // M layout: total and index little-endian.
    EXPECT_EQ(frameM(0x18, 3, 2, bytes({0xAA})),
              bytes({0x7F, 0x4D, 0x18, 0x03, 0, 0, 0, 0x02, 0, 0, 0, 0xAA, 0x14, 0x7E}));
    // A checksum that is itself special is escaped: 41+18+01+00+24 = 0x7E.
    EXPECT_EQ(frameA(0x41, 0x18, 1, 0, bytes({0x24})),
              bytes({0x7F, 0x41, 0x18, 0x01, 0x00, 0x24, 0x7D, 0x5E, 0x7E}));
}

TEST(FrameCodec, WordScanAgreesWithByteScanForEveryValueAndPosition)
{
    for (int value = 0; value < 256; ++value) {
        for (int pos = 0; pos < 19; ++pos) {
            QByteArray data(19, char(0x41));
            data[pos] = char(value);
            const bool special = value >= 0x7D && value <= 0x7F;
            ASSERT_EQ(countEscapes(u8(data), size_t(data.size())), special ? 1u : 0u)
                << "value " << value << " at " << pos;
            const QByteArray f = frameA(0x41, 0x18, 1, 0, data);
            const uint8_t sum = uint8_t(0x41 + 0x18 + 0x01 + checksum(u8(data), 19));
            const int expectedSize =
                2 + 4 + 19 + 1 + (special ? 1 : 0) + (needsEscape(sum) ? 1 : 0);
            ASSERT_EQ(f.size(), expectedSize) << "value " << value << " at " << pos;
        }
    }
    for (int size : {0, 1, 7, 8, 9, 1023, 1024, 1032, 5000}) {
        const QByteArray data = randomBytes(size, quint32(size) + 7);
        uint32_t sum = 0;
        size_t escapes = 0;
        for (char c : data) {
            sum += uint8_t(c);
            escapes += needsEscape(uint8_t(c)) ? 1 : 0;
        }
        EXPECT_EQ(checksum(u8(data), size_t(size)), uint8_t(sum)) << size;
        EXPECT_EQ(countEscapes(u8(data), size_t(size)), escapes) << size;
    }
}

TEST(FrameCodec, EncodeRespectsCapacityAndExactSize)
{
    const QByteArray data = randomBytes(3072, 11);
    const size_t exact = encodedSizeM(0x18, 2, 0, u8(data), size_t(data.size()));
    std::vector<uint8_t> out(exact);
    EXPECT_EQ(encodeM(0x18, 2, 0, u8(data), size_t(data.size()), out.data(), exact), exact);
    EXPECT_EQ(encodeM(0x18, 2, 0, u8(data), size_t(data.size()), out.data(), exact - 1), 0u);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(out.data()), qsizetype(exact)),
              frameM(0x18, 2, 0, data));
}

TEST(FrameDecoder, FailureTable)
{
    const QByteArray good = frameA(0x41, 0x50, 1, 0, "hi");
    QByteArray badSum = good;
    badSum[badSum.size() - 2] = char(badSum.at(badSum.size() - 2) ^ 1);
    const struct {
        const char *name;
        Layout layout;
        bool fiber;
        QByteArray input;
        const char *error;
        int code;
    } cases[] = {
        {"stray bytes before the start", Layout::A, false, "xy" + good, kErrorPacket, -1},
        {"end flag outside a frame", Layout::A, false, bytes({0x7E}) + good, kErrorPacket, -1},
        {"checksum", Layout::A, false, badSum, kErrorChecksum, -1},
        {"A body too short", Layout::A, false, bytes({0x7F, 0x41, 0x50, 0x91, 0x7E}), kErrorPacket,
         -1},
        {"M body too short", Layout::M, false, frameA(0x41, 0x50, 1, 0, "abcd"), kErrorPacket, -1},
        {"escaped end flag", Layout::A, false, bytes({0x7F, 0x41, 0x7D, 0x7E}), kErrorPacket, -1},
        {"payload above 4099 bytes", Layout::M, false, frameM(0x17, 1, 0, QByteArray(4100, 'a')),
         kErrorTooLong, -1},
        {"fiber inspection reply", Layout::M, true, frameM(0x20, 1, 0), kErrorFiber, -3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FrameDecoder d(c.layout);
        d.setFiberCheck(c.fiber);
        const DecodeResult r = d.feed(u8(c.input), size_t(c.input.size()));
        EXPECT_EQ(r.status, DecodeStatus::Invalid);
        EXPECT_STREQ(r.error, c.error);
        EXPECT_EQ(r.code, c.code);
    }
    // Without the fiber check the same reply is an ordinary M frame.
    FrameDecoder plain(Layout::M);
    const QByteArray fiber = frameM(0x20, 1, 0);
    EXPECT_EQ(plain.feed(u8(fiber), size_t(fiber.size())).status, DecodeStatus::Frame);
}

TEST(FrameDecoder, PayloadLimitFromBothSides)
{
    // 4099 payload bytes are the most a reply area holds: accepted in either
    // layout, and one byte more refused (the A body still fits the buffer,
    // so only the payload check stands between it and the reply area).
    const std::pair<Layout, bool> layouts[] = {{Layout::A, false},
                                               {Layout::M, true},
                                               {Layout::ByCommand, false},
                                               {Layout::ByCommand, true}};
    for (const auto &[layout, useM] : layouts) {
        for (const int size : {int(kMaxPayload), int(kMaxPayload) + 1}) {
            SCOPED_TRACE(testing::Message() << int(layout) << (useM ? " M " : " A ") << size);
            const QByteArray payload = randomBytes(size, quint32(size));
            const QByteArray input =
                useM ? frameM(0x17, 1, 0, payload) : frameA(0x41, 0x50, 1, 0, payload);
            FrameDecoder d(layout);
            const DecodeResult r = d.feed(u8(input), size_t(input.size()));
            if (size == int(kMaxPayload)) {
                ASSERT_EQ(r.status, DecodeStatus::Frame);
                EXPECT_EQ(d.frame().payloadBytes(), payload);
            } else {
                EXPECT_EQ(r.status, DecodeStatus::Invalid);
                EXPECT_STREQ(r.error, kErrorTooLong);
            }
        }
    }
}

TEST(FrameDecoder, RestartsOnStartFlagAndBoundsItsBuffer)
{
    const QByteArray good = frameA(0x41, 0x50, 1, 0, "ok");
    FrameDecoder d(Layout::A);
    const Fed fed = feedPieces(d, bytes({0x7F, 0x41, 0x22}) + good, {});
    EXPECT_TRUE(fed.errors.isEmpty());
    EXPECT_EQ(fed.payloads, QList<QByteArray>{"ok"});

    // A start flag followed by endless plain bytes is refused once it passes
    // the largest body, not buffered without end.
    FrameDecoder big(Layout::M);
    const QByteArray flood = bytes({0x7F}) + QByteArray(3 * int(kMaxBody), 'z');
    const DecodeResult r = big.feed(u8(flood), size_t(flood.size()));
    EXPECT_EQ(r.status, DecodeStatus::Invalid);
    EXPECT_STREQ(r.error, kErrorTooLong);
    EXPECT_FALSE(big.inFrame());
}

// Both layouts back to back, each after the other, cut at random: with every byte escaped, cuts
// fall between an escape and its byte, so the escape carries over to the next read.
TEST(FrameDecoder, RoundTripsEverySizeAndDensityInRandomReads)
{
    QRandomGenerator rng(2024);
    for (int size : {0, 1, 15, 16, 17, 31, 32, 33, 100, 2048, 3072, 4099}) {
        for (int density : {0, 3, 50, 100}) { // percent of bytes that need escaping
            SCOPED_TRACE(testing::Message() << size << "/" << density);
            QByteArray payload(size, '\0');
            for (auto &c : payload)
                c = int(rng.bounded(100)) < density ? char(0x7D + rng.bounded(3))
                                                    : char(rng.bounded(0x7D));
            const QByteArray m = frameM(0x18, 70000, 65541, payload);
            const QByteArray wire = m + frameA(0x41, 0x50, 1, 0, payload) + m;
            QList<int> cuts;
            for (int at = int(rng.bounded(40)); at < wire.size(); at += 1 + int(rng.bounded(64)))
                cuts << at;
            FrameDecoder d(Layout::ByCommand);
            const Fed fed = feedPieces(d, wire, cuts);
            ASSERT_TRUE(fed.errors.isEmpty()) << fed.errors.join(',').toStdString();
            ASSERT_EQ(fed.payloads, QList<QByteArray>(3, payload));
            for (int i : {0, 2}) {
                EXPECT_EQ(fed.frames[i].layout, Layout::M);
                EXPECT_EQ(fed.frames[i].total, 70000u);
                EXPECT_EQ(fed.frames[i].index, 65541u);
            }
            EXPECT_EQ(fed.frames[1].layout, Layout::A);
        }
    }
}

// The instrument stand-in's logic: what it keeps of an announced name, how it
// checks piece indexes, and how it cuts a setup into reply frames.
namespace {

struct Probe {
    InstrumentEndpoint endpoint;
    QStringList log;
    QList<QPair<QString, QByteArray>> files;
    explicit Probe(EndpointOptions options = {}) : endpoint(std::move(options))
    {
        endpoint.onLog = [this](const QString &l) { log << l; };
        endpoint.onFile = [this](const QString &n, const QByteArray &c) { files.append({n, c}); };
    }
    QByteArray send(const QByteArray &bytes)
    {
        return endpoint.receiveStream(u8(bytes), size_t(bytes.size()));
    }
    void name(const QString &text)
    {
        QByteArray record;
        ASSERT_TRUE(CDevComm::BuildNameRecord(text, record));
        send(frameA(0x41, kFileName, 1, 0, record));
    }
};

} // namespace

TEST(Endpoint, KeepsOnlyTheLastComponentOfTheName)
{
    const struct {
        const char *announced;
        const char *kept;
        const char *logged = "";
    } cases[] = {
        {"C:\\Users\\me\\site.wzd", "site.wzd"},
        {"..\\..\\evil.wzd", "evil.wzd"},
        {"/etc/passwd", "passwd"},
        {"dir/", ""},
        {"..", ""},
        // Control characters (escape sequences, newlines) never reach a file
        // name, and the log shows them escaped, in quotes.
        {"evil\x1b[2J.wzd", "evil_[2J.wzd", R"(evil\x1b[2J.wzd")"},
        {"two\nlines\r.wzd", "two_lines_.wzd", R"(two\x0alines\x0d.wzd")"},
        {"say \"hi\".wzd", "say \"hi\".wzd", R"("say \"hi\".wzd")"},
        // Over the wire in the 8-bit code page: the soft hyphen (0xAD) is a
        // format character and goes, the sign before it (0xAC) shows.
        {"soft\xadhyphen\xac.wzd", "soft_hyphen\xac.wzd", "\"soft\\xadhyphen\xac.wzd\""},
    };
    for (const auto &c : cases) {
        Probe p;
        p.name(QString::fromLatin1(c.announced));
        p.send(frameA(0x41, kFileContent, 1, 0, "body"));
        ASSERT_EQ(p.files.size(), 1) << c.announced;
        EXPECT_EQ(p.files[0].first, QString::fromLatin1(c.kept));
        EXPECT_EQ(p.files[0].second, QByteArray("body"));
        EXPECT_TRUE(p.log.first().contains(QString::fromLatin1(c.logged)))
            << p.log.first().toStdString();
        EXPECT_FALSE(p.log.join(u' ').contains(QRegularExpression("[\\x00-\\x1f]")));
    }
}

TEST(Endpoint, ChecksPieceIndexes)
{
    const struct {
        const char *name;
        QList<QPair<uint32_t, uint32_t>> pieces; // total, index
        bool kept;
        const char *logged;
    } cases[] = {
        {"in order", {{3, 0}, {3, 1}, {3, 2}}, true, "file complete"},
        {"gap", {{3, 0}, {3, 2}}, false, "piece index 2, expected 1"},
        {"repeat", {{3, 0}, {3, 0}, {3, 1}}, false, "piece 0 came again"},
        {"total changes", {{3, 0}, {4, 1}}, false, "announces 4 pieces"},
        {"no piece 0", {{2, 1}}, false, "without piece 0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Probe p;
        p.name("f.wzd");
        for (const auto &piece : c.pieces)
            p.send(frameM(kFileContent, piece.first, piece.second, "ab"));
        EXPECT_EQ(p.files.size(), c.kept ? 1 : 0);
        EXPECT_TRUE(p.log.join('\n').contains(QLatin1String(c.logged)))
            << p.log.join('\n').toStdString();
    }
    Probe unnamed; // content without a name record is not kept
    unnamed.send(frameA(0x41, kFileContent, 1, 0, "x"));
    EXPECT_TRUE(unnamed.files.isEmpty());
}

TEST(Endpoint, SetupRepliesInChunksAndBlocks)
{
    EndpointOptions options;
    options.setup = QByteArray(10000, 'q');
    options.chunk = 3000;
    Probe p(options);
    const QByteArray reply = p.send(frameA(0x41, kSetupFetch, 1, 0));
    FrameDecoder d(Layout::M);
    QList<int> sizes;
    QByteArray joined;
    size_t pos = 0;
    while (pos < size_t(reply.size())) {
        const DecodeResult r = d.feed(u8(reply) + pos, reply.size() - pos);
        ASSERT_EQ(r.status, DecodeStatus::Frame);
        pos += r.consumed;
        EXPECT_EQ(d.frame().total, 4u);
        EXPECT_EQ(d.frame().index, uint32_t(sizes.size()));
        sizes << int(d.frame().payloadSize);
        joined += d.frame().payloadBytes();
    }
    EXPECT_EQ(sizes, (QList<int>{3000, 3000, 3000, 1000}));
    EXPECT_EQ(joined, options.setup);

    // Over USB each reply is one block, so every frame must fit 4096 bytes.
    options.setup = QByteArray(6000, '\x7d');
    options.chunk = 4096;
    Probe usb(options);
    const QByteArray request = frameA(0x41, kSetupFetch, 1, 0).leftJustified(4096, '\0');
    QByteArray blocksJoined;
    for (const QByteArray &b : usb.endpoint.receiveBlock(u8(request), 4096)) {
        ASSERT_EQ(b.size(), 4096);
        FrameDecoder bd(Layout::M);
        ASSERT_EQ(bd.feed(u8(b), 4096).status, DecodeStatus::Frame);
        blocksJoined += bd.frame().payloadBytes();
    }
    EXPECT_EQ(blocksJoined, options.setup);
}
