// Shared reading of the small text tables beside the program.
#include "instrument_files/TextTable.h"

#include "common/DataFiles.h"

#include <QFile>
#include <QFileInfo>

namespace stepvane {

std::optional<QByteArray> readTextTableFile(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxTextTableBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Bounded even if the file grows while it is read.
    QByteArray bytes = file.read(kMaxTextTableBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxTextTableBytes)
        return std::nullopt;
    return bytes;
}

QString textTablePath(const QString &fileName)
{
    if (fileName.contains(u'/') || fileName.contains(u'\\'))
        return fileName;
    return dataFilePath(fileName);
}

std::optional<QStringView> FieldReader::next(QStringView separators)
{
    while (m_pos < m_line.size() && separators.contains(m_line[m_pos]))
        ++m_pos;
    if (m_pos >= m_line.size())
        return std::nullopt;
    const qsizetype start = m_pos;
    while (m_pos < m_line.size() && !separators.contains(m_line[m_pos]))
        ++m_pos;
    const QStringView field = m_line.mid(start, m_pos - start);
    if (m_pos < m_line.size())
        ++m_pos;
    return field;
}

} // namespace stepvane
