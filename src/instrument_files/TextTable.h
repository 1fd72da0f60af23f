// Helpers shared by the readers of the small text tables beside the program
// (SCPI catalogue, cable list): bounded whole-file reads, line splitting and
// the strtok-style field reader their formats are defined by.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace stepvane {

// The field separator of the instrument's text tables.
constexpr QStringView kComma = u",";

// The tables are a few kilobytes; anything far larger is not one of them.
constexpr qint64 kMaxTextTableBytes = 4 * 1024 * 1024;

// Reads a regular file of at most kMaxTextTableBytes; nullopt otherwise.
std::optional<QByteArray> readTextTableFile(const QString &path);

// Resolves a bare file name (no folder part) to the data folder beside the
// program; a name with a folder is used as given. Empty when not found.
QString textTablePath(const QString &fileName);

// Reads fields the way strtok does: leading separators are skipped, a field
// ends at the next separator, and that one separator is consumed. Runs of
// separators therefore count as one and empty fields never appear.
class FieldReader {
public:
    explicit FieldReader(QStringView line) : m_line(line) {}
    // The next field ending at any character of separators, or nullopt when
    // only separators (or nothing) remain.
    std::optional<QStringView> next(QStringView separators);

private:
    QStringView m_line;
    qsizetype m_pos = 0;
};

// Calls f(line) for every line of text, without its line feed or a carriage
// return before it; blank lines and comment lines (first character '*') are
// skipped. f returns false to stop.
template <typename F> void forEachTableLine(const QString &text, F &&f)
{
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).mid(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'*'))
            continue;
        if (!f(line))
            return;
    }
}

} // namespace stepvane
