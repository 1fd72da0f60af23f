// The instrument stand-in's logic: what it keeps of an announced name, how it
// checks piece indexes, and how it cuts a setup into reply frames.
#include "ByteView.h"
#include "comm/CDevComm.h"
#include "comm/InstrumentEndpoint.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QStringList>

using namespace stepvane;
using namespace stepvane::frame;

using comm_test::u8;

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
