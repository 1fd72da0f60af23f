// Helpers shared by the test programs: reading files, comparing XML without
// its indentation, and a scratch folder per test.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <libxml/parser.h>
#include <libxml/tree.h>

namespace stepvane::test {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QString fixture(const QString &relative)
{
    return QStringLiteral(STEPVANE_FIXTURES_DIR "/") + relative;
}

// The document re-serialised without indentation, so two files that differ
// only in layout compare equal. Empty when the bytes are not XML.
inline QByteArray normalizedXml(const QByteArray &bytes)
{
    xmlDoc *doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!doc)
        return QByteArray();
    xmlChar *out = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &out, &size, "UTF-8", 0);
    QByteArray result(reinterpret_cast<const char *>(out), size);
    xmlFree(out);
    xmlFreeDoc(doc);
    // Base64 line breaks are layout too.
    result.replace("\r", "");
    return result;
}

} // namespace stepvane::test
