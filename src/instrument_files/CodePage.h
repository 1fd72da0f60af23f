// The instrument's 8-bit code page, Windows-1252, in both directions.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

QString fromCp1252(const char *data, qsizetype size);
inline QString fromCp1252(const QByteArray &bytes)
{
    return fromCp1252(bytes.constData(), bytes.size());
}
// A character the code page cannot hold becomes '?'.
QByteArray toCp1252(const QString &text);

} // namespace stepvane
