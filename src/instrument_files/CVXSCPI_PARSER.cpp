// SCPI catalogue reading: comment and blank lines, the column tokenizer and
// the "empty" placeholder.
#include "instrument_files/CVXSCPI_PARSER.h"

#include "instrument_files/TextTable.h"

namespace stepvane {

namespace {

// Column 2 (the command header) also ends at a blank, so a header may be
// followed by its parameters on the same line.
constexpr QStringView kCommaOrBlank = u", ";

// Empty columns collapse in the file format, so a deliberately empty column
// is written as this word.
QString storedColumn(QStringView text)
{
    return text == QLatin1String("empty") ? QString() : text.toString();
}

} // namespace

void CVXSCPI_PARSER::clear()
{
    m_groups.clear();
    m_groupSet.clear();
    m_records.clear();
}

void CVXSCPI_PARSER::AddGroup(const QString &text)
{
    if (m_groupSet.contains(text))
        return;
    m_groupSet.insert(text);
    m_groups << text;
}

int CVXSCPI_PARSER::Load(const QString &fileName)
{
    clear();
    const auto bytes = readTextTableFile(textTablePath(fileName));
    if (!bytes)
        return 0;
    return loadFromBytes(*bytes);
}

int CVXSCPI_PARSER::loadFromBytes(const QByteArray &bytes)
{
    clear();
    int result = 1;
    forEachTableLine(QString::fromLatin1(bytes), [&](QStringView line) {
        FieldReader fields(line);
        const auto first = fields.next(kComma);
        if (!first) {
            result = 0;
            return false;
        }
        const QString group = first->toString();
        AddGroup(group);
        ScpiRecord record;
        record.column[0] = storedColumn(group);
        if (const auto second = fields.next(kCommaOrBlank))
            record.column[1] = storedColumn(*second);
        for (size_t i = 2; i < record.column.size(); ++i) {
            const auto column = fields.next(kComma);
            if (!column)
                break;
            record.column[i] = storedColumn(*column);
        }
        m_records.push_back(std::move(record));
        return true;
    });
    return result;
}

} // namespace stepvane
