// The Connect, Send and Fetch sequences against the in-memory instrument: the
// messages each outcome reports, the files that are (and are not) written,
// progress, and cancelling.
#include "comm/CDevComm.h"
#include "comm/MemoryTransport.h"
#include "comm/TransferWorkflow.h"
#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <QList>
#include <QStringList>

#include <QFile>
#include <QTemporaryDir>

#include <optional>
#include <thread>

using namespace stepvane;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Rig {
    QTemporaryDir dir;
    CollectingMessageSink sink;
    EndpointOptions options;
    std::shared_ptr<MemoryLink> link;
    QList<QPair<QString, QByteArray>> files;
    bool connectFails = false;
    int connections = 0;
    TransferWorkflow wf{&sink};

    explicit Rig(int method)
    {
        CommSettings s;
        s.method = method;
        wf.setSettings(s);
        wf.device().setReceiveTiming({40, 1, 3});
        wf.setTransportFactory([this](int m) {
            auto endpoint = std::make_shared<InstrumentEndpoint>(options);
            endpoint->onFile = [this](const QString &n, const QByteArray &c) {
                files.append({n, c});
            };
            link = std::make_shared<MemoryLink>(m == kMethodUsb ? MemoryLink::Framing::Blocks
                                                                : MemoryLink::Framing::Stream,
                                                endpoint);
            link->setConnectFails(connectFails);
            ++connections;
            return std::make_unique<MemoryTransport>(link);
        });
    }
    QString file(const QString &name, const QByteArray &content)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        return path;
    }
    // The one message, as its identifier or its literal, then "|" and the
    // protocol error of a "%s : %s" message or the detail of any other.
    QString only() const
    {
        if (sink.messages.size() != 1)
            return QStringLiteral("<%1 messages: %2>")
                .arg(sink.messages.size())
                .arg(sink.ids().join(QLatin1String(" / ")));
        const Message &m = sink.messages.front();
        if (m.literal == QLatin1String("%s : %s"))
            return QStringLiteral("%s : %s|") + m.args.value(1);
        const QString name = m.id.isEmpty() ? m.literal : m.id;
        return m.detail.isEmpty() ? name : name + u'|' + m.detail;
    }
};

EndpointOptions opts(const QByteArray &setup = {}, EndpointFault fault = EndpointFault::None,
                     int chunk = 4096, int closeAfter = 0)
{
    EndpointOptions o;
    o.setup = setup;
    o.fault = fault;
    o.chunk = chunk;
    o.closeAfter = closeAfter;
    return o;
}

EndpointOptions fiberOpts()
{
    EndpointOptions o;
    o.fiber = true;
    return o;
}

QByteArray content(int size)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char(i * 31 + 5);
    return b;
}

} // namespace

TEST(Workflow, SendCompletesOverEveryMethod)
{
    for (int method : {kMethodIPv4, kMethodIPv6, kMethodUsb}) {
        SCOPED_TRACE(method);
        Rig rig(method);
        QList<int> seen;
        rig.wf.setProgressCallback([&](int value, int) { seen << value; });
        const QByteArray data = content(7000);
        EXPECT_EQ(rig.wf.sendFile(rig.file(QStringLiteral("site 1.wzd"), data)),
                  TransferStatus::Completed);
        EXPECT_EQ(rig.only(), QStringLiteral("IDS_TRANSPORT_COMPLETE"));
        ASSERT_EQ(rig.files.size(), 1);
        EXPECT_EQ(rig.files[0].first, QStringLiteral("site 1.wzd"));
        EXPECT_EQ(rig.files[0].second, data);
        const int pieces = method == kMethodUsb ? 7000 / 3072 + 1 : 7000 / 2048 + 1;
        EXPECT_EQ(rig.wf.progress().maximum, pieces);
        EXPECT_EQ(rig.wf.progress().value, pieces); // full when the last piece has gone
        EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
        EXPECT_TRUE(rig.wf.isConnected());
    }
}

TEST(Workflow, SendFailuresReportOnceAndNeverComplete)
{
    const struct {
        const char *name;
        int method;
        EndpointOptions options;
        bool connectFails;
        bool missingFile;
        QString message;
        int connections;
    } cases[] = {
        {"file missing", kMethodIPv4, opts(), false, true, "Read file Error", 0},
        {"connect fails", kMethodIPv4, opts(), true, false, "IDS_CONNECT_FAIL", 1},
        {"usb device fails", kMethodUsb, opts(), true, false, "IDS_CONNECT_FAIL", 1},
        {"no handshake reply", kMethodIPv6, opts({}, EndpointFault::Silent), false, false,
         "%s : %s|STR_ERROR_TIMEOUT", 1},
        {"link lost after the name record", kMethodIPv4,
         opts({}, EndpointFault::CloseAfter, 4096, 2), false, false,
         "Fail to send file to EQP|Write to the instrument failed", 1},
        {"usb link lost after the name record", kMethodUsb,
         opts({}, EndpointFault::CloseAfter, 4096, 2), false, false,
         "Fail to send file to EQP|USB write failed", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.method);
        rig.options = c.options;
        rig.connectFails = c.connectFails;
        const QString path = c.missingFile ? rig.dir.filePath(QStringLiteral("none.wzd"))
                                           : rig.file(QStringLiteral("w.wzd"), content(9000));
        EXPECT_EQ(rig.wf.sendFile(path), TransferStatus::Failed);
        EXPECT_EQ(rig.only(), c.message);
        EXPECT_EQ(rig.connections, c.connections);
        EXPECT_TRUE(rig.files.isEmpty());
    }
}

TEST(Workflow, UsbChecksComeBeforeAnythingIsSent)
{
    Rig rig(kMethodUsb);
    QByteArray dense = content(7000);
    dense.replace(0, 1200, QByteArray(1200, '\x7f'));
    EXPECT_EQ(rig.wf.sendFile(rig.file(QStringLiteral("d.wzd"), dense)), TransferStatus::Failed);
    EXPECT_TRUE(rig.only().startsWith(QLatin1String("This file cannot be sent over USB")));
    EXPECT_EQ(rig.connections, 0);

    // Without vendor and product ids the connect fails and says what to set.
    CollectingMessageSink sink;
    TransferWorkflow plain(&sink);
    CommSettings usb;
    usb.method = kMethodUsb;
    plain.setSettings(usb);
    EXPECT_FALSE(plain.connect());
    EXPECT_EQ(sink.ids(), QStringList{QStringLiteral("IDS_CONNECT_FAIL")});
    EXPECT_TRUE(plain.lastError().contains(QLatin1String("UsbVendorId")));
    EXPECT_TRUE(plain.lastError().contains(QLatin1String("UsbProductId")));
}

TEST(Workflow, FetchSavesTheSetupOrNothing)
{
    const QByteArray setup = content(10000);
    const struct {
        const char *name;
        int method;
        EndpointOptions options;
        TransferStatus status;
        QString message; // empty: none
    } cases[] = {
        {"tcp", kMethodIPv4, opts(setup, EndpointFault::None, 3000), TransferStatus::Completed, {}},
        {"usb", kMethodUsb, opts(setup), TransferStatus::Completed, {}},
        {"tcp fiber", kMethodIPv4, fiberOpts(), TransferStatus::Failed,
         "IDS_FIBER_INSPECTION_MODE"},
        {"usb fiber", kMethodUsb, fiberOpts(), TransferStatus::Failed, "IDS_FIBER_INSPECTION_MODE"},
        {"gap", kMethodIPv6, opts(setup, EndpointFault::Gap, 1000), TransferStatus::Failed,
         "IDS_RECEIVE_FAIL|Communication Error!"},
        {"checksum", kMethodUsb, opts(setup, EndpointFault::Checksum), TransferStatus::Failed,
         "IDS_RECEIVE_FAIL|STR_ERROR_CHECKSUM"},
        {"stray", kMethodIPv4, opts(setup, EndpointFault::Stray), TransferStatus::Failed,
         "IDS_RECEIVE_FAIL|STR_ERROR_PACKET"},
        {"oversize", kMethodIPv4, opts(setup, EndpointFault::Oversize), TransferStatus::Failed,
         "IDS_RECEIVE_FAIL|" + QString::fromLatin1(frame::kErrorTooLong)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.method);
        rig.options = c.options;
        const QString out = rig.file(QStringLiteral("old.sta"), "previous setup");
        EXPECT_EQ(rig.wf.fetchSetup(out), c.status);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(rig.sink.messages.empty()) << rig.sink.ids().join(',').toStdString();
        } else {
            EXPECT_EQ(rig.only(), c.message);
        }
        const bool ok = c.status == TransferStatus::Completed;
        EXPECT_EQ(readFile(out), ok ? setup : QByteArray("previous setup"));
        EXPECT_EQ(rig.wf.receivedOk(), ok);
        if (ok) {
            EXPECT_EQ(rig.wf.progress().value, rig.wf.progress().maximum);
        }
        EXPECT_FALSE(rig.wf.isConnected()); // a fetch always releases the link
    }
}

TEST(Workflow, FetchIntoAnUnwritablePlaceReportsWhyAndKeepsTheOldFile)
{
    const struct {
        const char *name;
        const char *file;
        int size;
        rlim_t limit; // 0: none
        const char *why;
    } cases[] = {
        {"missing folder", "no/such/folder/x.sta", 5, 0, "No such file or directory"},
        {"full disk, small", "small.sta", 9000, 3000, "File too large"},
        {"full disk, large", "large.sta", 400000, 100000, "File too large"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(kMethodIPv4);
        rig.options.setup = content(c.size);
        const QString out = rig.dir.filePath(QString::fromLatin1(c.file));
        if (c.limit)
            rig.file(QString::fromLatin1(c.file), "previous setup");
        TransferStatus status;
        {
            std::optional<stepvane::test::FileSizeLimit> limit;
            if (c.limit)
                limit.emplace(c.limit);
            status = rig.wf.fetchSetup(out);
        }
        EXPECT_EQ(status, TransferStatus::Failed);
        EXPECT_TRUE(rig.only().startsWith(QStringLiteral("IDS_SAVE_FAIL|")))
            << rig.only().toStdString();
        EXPECT_TRUE(rig.only().contains(QLatin1String(c.why))) << rig.only().toStdString();
        EXPECT_FALSE(rig.wf.receivedOk());
        EXPECT_EQ(readFile(out), c.limit ? QByteArray("previous setup") : QByteArray("<missing>"));
    }
}

TEST(Workflow, CancelStopsASendMidFileWithoutMessages)
{
    // Cancelled from the progress callback once three pieces are out, so the
    // moment is the same however busy the machine is.
    for (const int method : {kMethodIPv4, kMethodUsb}) {
        SCOPED_TRACE(method);
        Rig rig(method);
        const int size = 400000;
        const int pieces = size / (method == kMethodUsb ? 3072 : 2048) + 1;
        int highest = 0;
        rig.wf.setProgressCallback([&](int v, int) {
            highest = std::max(highest, v);
            if (v >= 3)
                rig.wf.cancel();
        });
        const QString path = rig.file(QStringLiteral("big.wzd"), content(size));
        TransferStatus status = TransferStatus::Completed;
        std::thread worker([&] { status = rig.wf.sendFile(path); });
        worker.join();
        EXPECT_EQ(status, TransferStatus::Cancelled);
        EXPECT_TRUE(rig.sink.messages.empty()) << rig.sink.ids().join(',').toStdString();
        EXPECT_GE(highest, 3);
        EXPECT_LT(rig.link->written().size(), 10) << "of " << pieces << " pieces";
        EXPECT_TRUE(rig.files.isEmpty()) << "the instrument never gets a whole file";
    }
}
