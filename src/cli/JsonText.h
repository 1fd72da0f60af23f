// JSON text written straight into bytes, exactly as
// QJsonDocument::toJson(QJsonDocument::Indented) writes the same values: four
// spaces a level, "key": value, strings escaped and encoded the same way,
// numbers in the same form. A large wizard's dump is hundreds of thousands of
// fields; building a QJsonObject of them only to print it costs more than
// reading the wizard. The caller gives object members in key order (as a
// QJsonObject keeps them).
#pragma once

#include <QByteArray>
#include <QCborValue>
#include <QJsonValue>
#include <QStringView>

#include <charconv>
#include <cmath>
#include <cstring>

namespace stepvane::cli {

inline void appendJsonInteger(QByteArray &out, qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end - digits);
}

// A real as a QJsonValue holds it: a whole number that a 64-bit integer
// keeps exactly is written as one, any other finite number in its shortest
// form, and infinities and NaN as null.
inline void appendJsonReal(QByteArray &out, double value)
{
    const QCborValue stored = QCborValue::fromJsonValue(QJsonValue(value));
    if (stored.isInteger())
        appendJsonInteger(out, stored.toInteger());
    else if (std::isfinite(value))
        out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    else
        out += "null";
}

// The text in double quotes: '"', '\\' and C0 controls escaped (the short
// forms where JSON has them, else \u00XX), everything else as UTF-8; a
// surrogate without its partner cannot be UTF-8 and becomes \uXXXX.
inline void appendJsonString(QByteArray &out, QStringView text)
{
    static constexpr char hex[] = "0123456789abcdef";
    // Room for the worst case (six bytes a unit); cut to what was written.
    const qsizetype start = out.size();
    out.resize(start + 2 + 6 * text.size());
    char *cursor = out.data() + start;
    *cursor++ = '"';
    const char16_t *src = text.utf16();
    const char16_t *const end = src + text.size();
    while (src != end) {
        const char16_t u = *src++;
        if (u < 0x80) {
            if (u >= 0x20 && u != u'"' && u != u'\\') {
                *cursor++ = char(u);
                continue;
            }
            *cursor++ = '\\';
            switch (u) {
            case u'"':
            case u'\\':
                *cursor++ = char(u);
                break;
            case 0x08:
                *cursor++ = 'b';
                break;
            case 0x0c:
                *cursor++ = 'f';
                break;
            case 0x0a:
                *cursor++ = 'n';
                break;
            case 0x0d:
                *cursor++ = 'r';
                break;
            case 0x09:
                *cursor++ = 't';
                break;
            default:
                *cursor++ = 'u';
                *cursor++ = '0';
                *cursor++ = '0';
                *cursor++ = hex[u >> 4];
                *cursor++ = hex[u & 0xf];
            }
        } else if (u < 0x800) {
            *cursor++ = char(0xc0 | (u >> 6));
            *cursor++ = char(0x80 | (u & 0x3f));
        } else if (u < 0xd800 || u > 0xdfff) {
            *cursor++ = char(0xe0 | (u >> 12));
            *cursor++ = char(0x80 | ((u >> 6) & 0x3f));
            *cursor++ = char(0x80 | (u & 0x3f));
        } else if (u < 0xdc00 && src != end && *src >= 0xdc00 && *src <= 0xdfff) {
            const char32_t c = 0x10000 + ((char32_t(u) - 0xd800) << 10) + (*src++ - 0xdc00);
            *cursor++ = char(0xf0 | (c >> 18));
            *cursor++ = char(0x80 | ((c >> 12) & 0x3f));
            *cursor++ = char(0x80 | ((c >> 6) & 0x3f));
            *cursor++ = char(0x80 | (c & 0x3f));
        } else {
            *cursor++ = '\\';
            *cursor++ = 'u';
            *cursor++ = hex[u >> 12];
            *cursor++ = hex[(u >> 8) & 0xf];
            *cursor++ = hex[(u >> 4) & 0xf];
            *cursor++ = hex[u & 0xf];
        }
    }
    *cursor++ = '"';
    out.truncate(cursor - out.constData());
}

// Objects and arrays with their line breaks and indentation. Each member
// begins with key(), each array element with item(); a nested object or
// array is begun and ended in its place.
class JsonTextWriter {
public:
    explicit JsonTextWriter(QByteArray &out) : m_out(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    void key(QStringView name)
    {
        item();
        appendJsonString(m_out, name);
        m_out += ": ";
    }
    // A name in the program's own text: plain ASCII goes as it is, with its
    // separator and indentation in one piece.
    void key(const char *latin1)
    {
        const char *c = latin1;
        while (uchar(*c) >= 0x20 && uchar(*c) < 0x80 && *c != '"' && *c != '\\')
            ++c;
        if (*c) {
            key(QString::fromLatin1(latin1));
            return;
        }
        const qsizetype length = c - latin1;
        const qsizetype width = qsizetype(4) * m_level;
        const qsizetype at = m_out.size();
        m_out.resize(at + (m_first ? 0 : 2) + width + length + 4);
        char *cursor = m_out.data() + at;
        if (!m_first) {
            *cursor++ = ',';
            *cursor++ = '\n';
        }
        m_first = false;
        std::memset(cursor, ' ', size_t(width));
        cursor += width;
        *cursor++ = '"';
        std::memcpy(cursor, latin1, size_t(length));
        cursor += length;
        *cursor++ = '"';
        *cursor++ = ':';
        *cursor = ' ';
    }
    void item()
    {
        if (!m_first)
            m_out += ",\n";
        m_first = false;
        indent();
    }

    void string(QStringView text) { appendJsonString(m_out, text); }
    void integer(qint64 value) { appendJsonInteger(m_out, value); }
    void real(double value) { appendJsonReal(m_out, value); }
    // After the outermost value: the document ends with a line break.
    void finish() { m_out += '\n'; }

private:
    void open(char bracket)
    {
        m_out += bracket;
        m_out += '\n';
        ++m_level;
        m_first = true;
    }
    void close(char bracket)
    {
        if (!m_first)
            m_out += '\n';
        --m_level;
        indent();
        m_out += bracket;
        m_first = false;
    }
    void indent() { m_out.append(qsizetype(4) * m_level, ' '); }

    QByteArray &m_out;
    int m_level = 0;
    bool m_first = true;
};

} // namespace stepvane::cli
