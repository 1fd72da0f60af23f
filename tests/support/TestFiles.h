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

// A restored working copy keeps the stored name, or the stored name with a
// number before its extension when another file of the run took the name.
inline bool isWorkingCopyOf(const QString &path, const QString &storedName)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name == storedName)
        return true;
    const qsizetype dot = storedName.lastIndexOf(u'.');
    const QString stem = dot > 0 ? storedName.left(dot) : storedName;
    const QString suffix = dot > 0 ? storedName.mid(dot) : QString();
    if (!name.startsWith(stem + u'-') || !name.endsWith(suffix))
        return false;
    const QString number = name.mid(stem.size() + 1, name.size() - stem.size() - 1 - suffix.size());
    bool ok = false;
    number.toInt(&ok);
    return ok;
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
