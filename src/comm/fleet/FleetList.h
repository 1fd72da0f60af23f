// The instruments a wizard goes to at once (the fleet): each has a unique
// name, a method and, over TCP, an address and a port. The list lives in the
// user's settings store (group "Fleet", beside "Connection") and travels as a
// CSV file with the header line "name,method,address,port".
#pragma once

#include "comm/CommSettings.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

class QSettings;

namespace stepvane {

struct FleetInstrument {
    QString name;
    int method = kMethodIPv4; // kMethodIPv4, kMethodIPv6 or kMethodUsb
    QString address;          // empty for USB
    int port = CommSettings::kDefaultPort;
    bool included = true; // the dialog's check box; not part of the CSV

    bool operator==(const FleetInstrument &) const = default;

    // "host:port", "[v6]:port" or "USB", as messages and reports name it.
    QString where() const;
    // The connection settings of one transfer to this instrument; the USB ids
    // come from base (the Communication settings).
    CommSettings settings(const CommSettings &base) const;
};

using FleetList = std::vector<FleetInstrument>;

constexpr int kMaxFleetSize = 1024;
constexpr int kMaxFleetNameLength = 127;

// "ipv4", "ipv6", "usb" and back; -1 for an unknown text (case is ignored).
QString fleetMethodText(int method);
int fleetMethodFromText(const QString &text);

// Why the instrument cannot be in a list (empty when it can): an empty or
// over-long name, control characters, a bad address or port. Uniqueness and
// the one-USB rule are the list's: see fleetConflict.
QString fleetEntryProblem(const FleetInstrument &instrument);
// Why the instrument cannot join the list, ignoring the entry at skipIndex
// (the one being edited): a name already used or a second USB instrument.
QString fleetConflict(const FleetList &list, const FleetInstrument &instrument, int skipIndex = -1);

// The settings store: a list read back with bad entries dropped or mended
// (a bad port gives 66, an unknown method IPv4); never fails.
FleetList loadFleet();
FleetList loadFleet(QSettings &store);
// False when the store could not be written.
bool saveFleet(const FleetList &list);
bool saveFleet(const FleetList &list, QSettings &store);

struct FleetCsvResult {
    FleetList list; // empty unless the whole file was read
    int line = 0;   // the line of the error (0: the file as a whole)
    QString error;  // empty on success
    bool ok() const { return error.isEmpty(); }
    // "line N: reason", or the reason alone.
    QString message() const;
};

// Reads a fleet CSV. Any error refuses the whole file.
FleetCsvResult parseFleetCsv(const QByteArray &bytes);
FleetCsvResult readFleetCsv(const QString &path);
QByteArray fleetCsv(const FleetList &list);
// Written atomically; false with the system's reason in error.
bool writeFleetCsv(const QString &path, const FleetList &list, QString *error);

// One CSV field, quoted when it holds a comma, a quote, a line break or
// spaces at its ends.
QByteArray csvField(const QString &text);

} // namespace stepvane
