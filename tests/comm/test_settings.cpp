// The connection settings store: defaults, invalid values, USB ids in hex,
// what a save writes, and the IPv4 text as four address fields.
#include "comm/CommSettings.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <QSettings>
#include <QTemporaryDir>

using namespace stepvane;

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
