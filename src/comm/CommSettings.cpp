// Reading and writing the connection settings, and the IPv4 text as the four
// fields of an address control.
#include "comm/CommSettings.h"

#include <QSettings>
#include <QStringList>

namespace stepvane {

namespace {

const QString kGroup = QStringLiteral("Connection");
constexpr qsizetype kMaxTextLength = 127;

QString readText(QSettings &store, const QString &key, const QString &fallback)
{
    const QVariant v = store.value(key);
    if (!v.isValid() || !v.canConvert<QString>())
        return fallback;
    return v.toString().left(kMaxTextLength);
}

int readHexId(QSettings &store, const QString &key)
{
    QString text = store.value(key).toString().trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    bool ok = false;
    const int id = text.toInt(&ok, 16);
    return ok && id >= 0 && id <= 0xFFFF ? id : -1;
}

} // namespace

int normalisedMethod(int method)
{
    return method == kMethodIPv4 || method == kMethodUsb || method == kMethodIPv6 ? method
                                                                                  : kMethodUsb;
}

CommSettings CommSettings::load()
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    return load(store);
}

CommSettings CommSettings::load(QSettings &store)
{
    CommSettings s;
    store.beginGroup(kGroup);
    bool ok = false;
    const int method = store.value(QStringLiteral("Method")).toInt(&ok);
    s.method = ok ? normalisedMethod(method) : kMethodUsb;
    s.ip = readText(store, QStringLiteral("IP"), s.ip);
    s.ipv6 = readText(store, QStringLiteral("IPV6"), s.ipv6);
    const int port = store.value(QStringLiteral("Port")).toInt(&ok);
    s.port = ok && port > 0 && port <= 65535 ? port : kDefaultPort;
    s.usbVendorId = readHexId(store, QStringLiteral("UsbVendorId"));
    s.usbProductId = readHexId(store, QStringLiteral("UsbProductId"));
    store.endGroup();
    return s;
}

bool CommSettings::save() const
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    return save(store);
}

bool CommSettings::save(QSettings &store) const
{
    store.beginGroup(kGroup);
    store.setValue(QStringLiteral("Method"), normalisedMethod(method));
    store.setValue(QStringLiteral("IP"), ip);
    store.setValue(QStringLiteral("IPV6"), ipv6);
    store.setValue(QStringLiteral("Port"), port > 0 && port <= 65535 ? port : kDefaultPort);
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError && store.isWritable();
}

bool splitIPv4(const QString &text, std::array<int, 4> &fields)
{
    fields = {0, 0, 0, 0};
    const QStringList parts = text.trimmed().split(u'.');
    if (parts.size() != 4)
        return false;
    std::array<int, 4> values{};
    for (int i = 0; i < 4; ++i) {
        const QString &part = parts.at(i);
        bool ok = false;
        const int v = part.toInt(&ok, 10);
        if (!ok || part.isEmpty() || part.size() > 3 || !part.at(0).isDigit() || v < 0 || v > 255)
            return false;
        values[size_t(i)] = v;
    }
    fields = values;
    return true;
}

QString joinIPv4(const std::array<int, 4> &fields)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(fields[0] & 0xFF)
        .arg(fields[1] & 0xFF)
        .arg(fields[2] & 0xFF)
        .arg(fields[3] & 0xFF);
}

} // namespace stepvane
