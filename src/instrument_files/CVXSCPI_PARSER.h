// The instrument's SCPI command catalogue, read from SCPI_Command_QRT.csv:
// one record of seven columns per command and the distinct command groups.
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace stepvane {

struct ScpiRecord {
    // Group, command header, parameters, access, unit, range, description
    // (the column meanings of the file we ship; the reader does not use them).
    std::array<QString, 7> column;
};

class CVXSCPI_PARSER {
public:
    static inline const QString kFileName = QStringLiteral("SCPI_Command_QRT.csv");

    // Reads the catalogue. A bare file name is looked up beside the program,
    // never in the current folder. 1 when the whole file was read; 0 when it
    // cannot be opened (or is implausibly large) or a line has no first
    // column, in which case the records before that line are kept.
    int Load(const QString &fileName = kFileName);
    // The same from the file's bytes (each byte one character).
    int loadFromBytes(const QByteArray &bytes);

    // Appends the text to the groups unless an equal text is already there.
    void AddGroup(const QString &text);

    const QStringList &groups() const { return m_groups; }
    const std::vector<ScpiRecord> &records() const { return m_records; }
    void clear();

private:
    QStringList m_groups;
    QSet<QString> m_groupSet; // keeps AddGroup linear on long files
    std::vector<ScpiRecord> m_records;
};

} // namespace stepvane
