// The language table: message identifiers to the texts shown to the user, in
// up to three languages, read from LanguageInfo.txt beside the program.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace stepvane {

struct LanguageEntry {
    QString id;
    QString text[3];
};

// Parses the table from the file's bytes (Windows-1252). Comment lines start
// with '*', empty lines are skipped, fields are split at '|' (runs count as
// one), and the first line with fewer than four fields ends the table.
std::vector<LanguageEntry> parseLanguageInfo(const QByteArray &bytes);

// Reads LanguageInfo.txt from beside the program into the application's table
// (or the given file). A missing file leaves the table empty; returns the
// number of entries.
int LoadLanguageInfo(const QString &path = QString());
// Replaces the application's table, for callers that parsed it themselves.
void setLanguageTable(std::vector<LanguageEntry> entries);
// The text of the first entry with that identifier (case-sensitive) in the
// language 0, 1 or 2; an unknown identifier or language gives an empty text.
QString GetMessageText(const QString &id, int language = 0);

} // namespace stepvane
