// The Connect, Send and Fetch sequences against the in-memory instrument: the
// messages each outcome reports, the files that are (and are not) written,
// progress, and cancelling.
#include "comm/CDevComm.h"
#include "comm/CommSettings.h"
#include "comm/MemoryTransport.h"
#include "comm/TransferWorkflow.h"
#include "support/FileSizeLimit.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include <optional>
#include <thread>

using namespace stepvane;

namespace {

struct WorkflowRig {
    QTemporaryDir dir;
    CollectingMessageSink sink;
    EndpointOptions options;
    std::shared_ptr<MemoryLink> link;
    QList<QPair<QString, QByteArray>> files;
    bool connectFails = false;
    int connections = 0;
    TransferWorkflow wf{&sink};

    explicit WorkflowRig(int method)
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
        EXPECT_TRUE(test::writeAll(dir.filePath(name), content));
        return dir.filePath(name);
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
            return "%s : %s|" + m.args.value(1);
        const QString name = m.id.isEmpty() ? m.literal : m.id;
        return m.detail.isEmpty() ? name : name + u'|' + m.detail;
    }
};

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
        WorkflowRig rig(method);
        QList<int> seen;
        rig.wf.setProgressCallback([&](int value, int) { seen << value; });
        const QByteArray data = content(7000);
        EXPECT_EQ(rig.wf.sendFile(rig.file("site 1.wzd", data)), TransferStatus::Completed);
        EXPECT_EQ(rig.only(), "IDS_TRANSPORT_COMPLETE");
        ASSERT_EQ(rig.files.size(), 1);
        EXPECT_EQ(rig.files[0].first, "site 1.wzd");
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
    const EndpointOptions lostAfterName{
        .setup = {}, .fault = EndpointFault::CloseAfter, .closeAfter = 2};
    const struct {
        const char *name;
        int method;
        EndpointOptions options;
        bool connectFails;
        bool missingFile;
        QString message;
        int connections;
    } cases[] = {
        {"file missing", kMethodIPv4, {}, false, true, "Read file Error", 0},
        {"connect fails", kMethodIPv4, {}, true, false, "IDS_CONNECT_FAIL", 1},
        {"usb device fails", kMethodUsb, {}, true, false, "IDS_CONNECT_FAIL", 1},
        {"no handshake reply",
         kMethodIPv6,
         {.setup = {}, .fault = EndpointFault::Silent},
         false,
         false,
         "%s : %s|STR_ERROR_TIMEOUT",
         1},
        {"link lost after the name record", kMethodIPv4, lostAfterName, false, false,
         "Fail to send file to EQP|Write to the instrument failed", 1},
        {"usb link lost after the name record", kMethodUsb, lostAfterName, false, false,
         "Fail to send file to EQP|USB write failed", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowRig rig(c.method);
        rig.options = c.options;
        rig.connectFails = c.connectFails;
        const QString path =
            c.missingFile ? rig.dir.filePath("none.wzd") : rig.file("w.wzd", content(9000));
        EXPECT_EQ(rig.wf.sendFile(path), TransferStatus::Failed);
        EXPECT_EQ(rig.only(), c.message);
        EXPECT_EQ(rig.connections, c.connections);
        EXPECT_TRUE(rig.files.isEmpty());
    }
}

TEST(Workflow, UsbChecksComeBeforeAnythingIsSent)
{
    WorkflowRig rig(kMethodUsb);
    QByteArray dense = content(7000);
    dense.replace(0, 1200, QByteArray(1200, '\x7f'));
    EXPECT_EQ(rig.wf.sendFile(rig.file("d.wzd", dense)), TransferStatus::Failed);
    EXPECT_TRUE(rig.only().startsWith(QLatin1String("This file cannot be sent over USB")));
    EXPECT_EQ(rig.connections, 0);

    // Without vendor and product ids the connect fails and says what to set.
    CollectingMessageSink sink;
    TransferWorkflow plain(&sink);
    CommSettings usb;
    usb.method = kMethodUsb;
    plain.setSettings(usb);
    EXPECT_FALSE(plain.connect());
    EXPECT_EQ(sink.ids(), QStringList{"IDS_CONNECT_FAIL"});
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
        QString message; // empty: none, the fetch completes
    } cases[] = {
        {"tcp", kMethodIPv4, {.setup = setup, .chunk = 3000}, {}},
        {"usb", kMethodUsb, {.setup = setup}, {}},
        {"tcp fiber", kMethodIPv4, {.setup = {}, .fiber = true}, "IDS_FIBER_INSPECTION_MODE"},
        {"usb fiber", kMethodUsb, {.setup = {}, .fiber = true}, "IDS_FIBER_INSPECTION_MODE"},
        {"gap",
         kMethodIPv6,
         {.setup = setup, .chunk = 1000, .fault = EndpointFault::Gap},
         "IDS_RECEIVE_FAIL|Communication Error!"},
        {"checksum",
         kMethodUsb,
         {.setup = setup, .fault = EndpointFault::Checksum},
         "IDS_RECEIVE_FAIL|STR_ERROR_CHECKSUM"},
        {"stray",
         kMethodIPv4,
         {.setup = setup, .fault = EndpointFault::Stray},
         "IDS_RECEIVE_FAIL|STR_ERROR_PACKET"},
        {"oversize",
         kMethodIPv4,
         {.setup = setup, .fault = EndpointFault::Oversize},
         "IDS_RECEIVE_FAIL|" + QString::fromLatin1(frame::kErrorTooLong)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WorkflowRig rig(c.method);
        rig.options = c.options;
        const QString out = rig.file("old.sta", "previous setup");
        const bool ok = c.message.isEmpty();
        EXPECT_EQ(rig.wf.fetchSetup(out), ok ? TransferStatus::Completed : TransferStatus::Failed);
        if (ok) {
            EXPECT_TRUE(rig.sink.messages.empty()) << rig.sink.ids().join(',').toStdString();
        } else {
            EXPECT_EQ(rig.only(), c.message);
        }
        EXPECT_EQ(test::readAll(out), ok ? setup : QByteArray("previous setup"));
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
        WorkflowRig rig(kMethodIPv4);
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
        EXPECT_TRUE(rig.only().startsWith("IDS_SAVE_FAIL|")) << rig.only().toStdString();
        EXPECT_TRUE(rig.only().contains(QLatin1String(c.why))) << rig.only().toStdString();
        EXPECT_FALSE(rig.wf.receivedOk());
        EXPECT_EQ(QFile::exists(out), c.limit != 0);
        EXPECT_EQ(test::readAll(out), c.limit ? QByteArray("previous setup") : QByteArray());
    }
}

TEST(Workflow, CancelStopsASendMidFileWithoutMessages)
{
    // Cancelled from the progress callback once three pieces are out, so the
    // moment is the same however busy the machine is.
    for (const int method : {kMethodIPv4, kMethodUsb}) {
        SCOPED_TRACE(method);
        WorkflowRig rig(method);
        const int size = 400000;
        const int pieces = size / (method == kMethodUsb ? 3072 : 2048) + 1;
        int highest = 0;
        rig.wf.setProgressCallback([&](int v, int) {
            highest = std::max(highest, v);
            if (v >= 3)
                rig.wf.cancel();
        });
        const QString path = rig.file("big.wzd", content(size));
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

// The connection settings store: defaults, invalid values, USB ids in hex,
// what a save writes, and the IPv4 text as four address fields.
namespace {

CommSettings loadFrom(const QString &path, const QList<QPair<QString, QVariant>> &values)
{
    QSettings store(path, QSettings::IniFormat);
    store.clear();
    for (const auto &v : values)
        store.setValue("Connection/" + v.first, v.second);
    store.sync();
    QSettings reread(path, QSettings::IniFormat);
    return CommSettings::load(reread);
}

} // namespace

TEST(CommSettings, ValuesAndTheirDefaults)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");

    const CommSettings empty = loadFrom(path, {});
    EXPECT_EQ(empty.method, kMethodUsb);
    EXPECT_EQ(empty.ip, "0.0.0.0");
    EXPECT_EQ(empty.ipv6, "0:0:0:0:0:0:0:1");
    EXPECT_EQ(empty.port, 66);
    EXPECT_FALSE(empty.hasUsbIds());

    const struct {
        QVariant method;
        int expected;
    } methods[] = {{1, 1}, {2, 2}, {3, 3}, {7, 2}, {0, 2}, {-1, 2}, {"abc", 2}};
    for (const auto &m : methods)
        EXPECT_EQ(loadFrom(path, {{"Method", m.method}}).method, m.expected)
            << m.method.toString().toStdString();

    const CommSettings s = loadFrom(path, {{"IP", "10.1.2.3"},
                                           {"IPV6", "fe80::1"},
                                           {"Port", 4066},
                                           {"UsbVendorId", "0x1A2b"},
                                           {"UsbProductId", "00ff"}});
    EXPECT_EQ(s.ip, "10.1.2.3");
    EXPECT_EQ(s.ipv6, "fe80::1");
    EXPECT_EQ(s.port, 4066);
    EXPECT_EQ(s.usbVendorId, 0x1A2B);
    EXPECT_EQ(s.usbProductId, 0xFF);

    const CommSettings bad = loadFrom(
        path, {{"UsbVendorId", "12345"}, {"UsbProductId", "zz"}, {"IP", QString(300, u'1')}});
    EXPECT_FALSE(bad.hasUsbIds());
    EXPECT_EQ(bad.ip.size(), 127); // the store's 256-byte read limit

    // The port range from both sides.
    const struct {
        QVariant stored;
        int port;
    } ports[] = {{1, 1}, {65535, 65535}, {0, 66}, {65536, 66}, {-1, 66}, {"x", 66}};
    for (const auto &p : ports)
        EXPECT_EQ(loadFrom(path, {{"Port", p.stored}}).port, p.port)
            << p.stored.toString().toStdString();
}

TEST(CommSettings, SaveWritesTheDialogValuesAndKeepsTheUsbIds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.ini");
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue("Connection/Port", 5000);
        store.setValue("Connection/UsbVendorId", "abcd");
    }
    CommSettings s;
    s.method = 9; // saved as what it counts as
    s.ip = "192.168.5.6", s.ipv6 = "::1", s.port = 4066;
    {
        QSettings store(path, QSettings::IniFormat);
        EXPECT_TRUE(s.save(store));
    }
    QSettings store(path, QSettings::IniFormat);
    EXPECT_EQ(store.value("Connection/Method").toInt(), 2);
    EXPECT_EQ(store.value("Connection/IP").toString(), s.ip);
    EXPECT_EQ(store.value("Connection/IPV6").toString(), s.ipv6);
    EXPECT_EQ(store.value("Connection/Port").toInt(), 4066);
    EXPECT_EQ(store.value("Connection/UsbVendorId").toString(), "abcd");

    QSettings readOnly("/proc/stepvane-cannot-write.ini", QSettings::IniFormat);
    EXPECT_FALSE(s.save(readOnly));
}

TEST(CommSettings, IPv4TextAsAddressFields)
{
    const struct {
        const char *text;
        bool ok;
        std::array<int, 4> fields;
    } cases[] = {
        {"192.168.0.10", true, {192, 168, 0, 10}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {" 10.0.0.1 ", true, {10, 0, 0, 1}},
        {"256.1.1.1", false, {0, 0, 0, 0}},
        {"1.2.3", false, {0, 0, 0, 0}},
        {"1.2.3.4.5", false, {0, 0, 0, 0}},
        {"a.b.c.d", false, {0, 0, 0, 0}},
        {"1..2.3", false, {0, 0, 0, 0}},
        {"-1.2.3.4", false, {0, 0, 0, 0}},
        {"host.example", false, {0, 0, 0, 0}},
    };
    for (const auto &c : cases) {
        std::array<int, 4> fields{9, 9, 9, 9};
        EXPECT_EQ(splitIPv4(QString::fromLatin1(c.text), fields), c.ok) << c.text;
        EXPECT_EQ(fields, c.fields) << c.text;
    }
    EXPECT_EQ(joinIPv4({192, 168, 1, 300}), "192.168.1.44"); // taken as a byte
}
