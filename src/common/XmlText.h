// Which texts a wizard file can hold. XML 1.0 has no way to write most C0
// control characters, the non-characters U+FFFE and U+FFFF or an unpaired
// surrogate (not even as a character reference), so a text holding one would
// give a file that no reader, ours or the instrument's, accepts.
#pragma once

#include <QString>
#include <QStringView>

namespace stepvane {

// The UTF-16 index of the first unit XML cannot hold, or -1 when every
// character can be written. Tab, line feed and carriage return are fine;
// a surrogate counts only when its pair is missing.
qsizetype firstXmlUnsafeIndex(QStringView text);

inline bool isXmlSafeText(QStringView text)
{
    return firstXmlUnsafeIndex(text) < 0;
}

// The offending character named for a message: "U+0001", "U+FFFE", "U+D800".
QString describeXmlUnsafeAt(QStringView text, qsizetype index);

} // namespace stepvane
