// The connection settings kept in the user's settings store:
// QSettings("Vexmar", "Stepvane"), group "Connection", keys Method, IP, IPV6
// and Port (edited in the communication dialog) and UsbVendorId,
// UsbProductId (edited by hand in the settings file, for USB).
#pragma once

#include <QString>

#include <array>

class QSettings;

namespace stepvane {

// Connection methods as the settings store and the dialog number them.
enum CommMethod : int {
    kMethodIPv4 = 1,
    kMethodUsb = 2,
    kMethodIPv6 = 3,
};

// 1, 2 and 3 are kept; every other value counts as USB.
int normalisedMethod(int method);

struct CommSettings {
    static constexpr int kDefaultPort = 66;

    int method = kMethodUsb;
    QString ip = QStringLiteral("0.0.0.0");
    QString ipv6 = QStringLiteral("0:0:0:0:0:0:0:1");
    int port = kDefaultPort; // 1..65535
    // -1 while the store holds no (valid) id; USB then cannot connect.
    int usbVendorId = -1;
    int usbProductId = -1;

    bool hasUsbIds() const { return usbVendorId >= 0 && usbProductId >= 0; }

    // Reads the user's store. Missing or invalid values give the defaults
    // above: Method outside 1..3 gives 2, an unreadable Port gives 66, text
    // values are cut to 127 characters (the store's 256-byte read limit).
    // UsbVendorId / UsbProductId are hex texts ("1a2b" or "0x1a2b"), 0..ffff.
    static CommSettings load();
    static CommSettings load(QSettings &store);

    // Writes Method, IP, IPV6 and Port (the values the dialog edits); the USB
    // ids are left as they are in the store. False when the store could not
    // be written: the caller reports "Error Write to Registry".
    bool save() const;
    bool save(QSettings &store) const;
};

// The IPv4 text as the four fields of an address control. A text that is not
// four dotted decimal numbers of 0..255 gives 0.0.0.0 and false.
bool splitIPv4(const QString &text, std::array<int, 4> &fields);
// "%d.%d.%d.%d" of the four fields (each taken as a byte).
QString joinIPv4(const std::array<int, 4> &fields);

} // namespace stepvane
