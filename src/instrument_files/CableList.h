// The cable list: coaxial cable types with their velocity factor and loss,
// read from Cable.csv beside the program and kept for the whole run.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace stepvane {

// Every value is kept as written; the cable dialog converts what it shows.
struct CableEntry {
    QString name;
    QString velocity;
    QString loss1GHz; // dB per metre
    QString loss2GHz; // dB per metre; may be empty
};

// Parses the list from the file's bytes (each byte one character). Comment
// lines start with '*', blank lines are skipped, fields are split at ','
// (runs count as one), and the first line with fewer than three fields ends
// the list.
std::vector<CableEntry> parseCableList(const QByteArray &bytes);

// Reads Cable.csv from beside the program (or the given file) into the
// application's table. A missing or unreadable file leaves the table empty;
// returns the number of entries.
int LoadCableList(const QString &path = QString());
// Replaces the application's table, for callers that parsed it themselves.
void setCableTable(std::vector<CableEntry> entries);
// A copy of the application's table, in file order.
std::vector<CableEntry> cableTable();

} // namespace stepvane
