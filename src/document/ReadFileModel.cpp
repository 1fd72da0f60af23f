// Read_File_Model: the model a wizard or testing unit file was made for,
// read from the header at the top of the file without parsing the rest. The
// open dialog asks it on every selection and start-up before the window
// exists; a full parse of a large wizard (tens of megabytes of embedded
// pictures) took seconds each time.
//
// The answer is the one the DOM gives: the LValue of the first InstrumentEQP
// element of the first Information element under the root, read as a
// leading whole number. The same file checks and parser options as
// Load_Document apply; a document type declaration is refused.
#include "document/VX_CAAXML_PARSER.h"

#include "document/NameTables.h"
#include "document/XmlShape.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/xmlreader.h>

#include <climits>
#include <memory>

namespace stepvane {

namespace {

constexpr int kReaderOptions =
    XML_PARSE_NONET | XML_PARSE_HUGE | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

struct ReaderFree {
    void operator()(xmlTextReader *reader) const { xmlFreeTextReader(reader); }
};

bool isNamed(xmlTextReader *reader, const char *name)
{
    return xmlStrEqual(xmlTextReaderConstName(reader), reinterpret_cast<const xmlChar *>(name));
}

// Walks the elements of the header; the model or nullopt.
std::optional<QString> modelCode(xmlTextReader *reader)
{
    bool inInformation = false;
    while (xmlTextReaderRead(reader) == 1) {
        const int type = xmlTextReaderNodeType(reader);
        const int depth = xmlTextReaderDepth(reader);
        if (type == XML_READER_TYPE_DOCUMENT_TYPE)
            return std::nullopt;
        if (inInformation && type == XML_READER_TYPE_END_ELEMENT && depth == 1)
            return std::nullopt; // the first Information names no model
        if (type != XML_READER_TYPE_ELEMENT)
            continue;
        if (depth == 1 && !inInformation && isNamed(reader, "Information")) {
            if (xmlTextReaderIsEmptyElement(reader))
                return std::nullopt;
            inInformation = true;
        } else if (depth == 2 && inInformation && isNamed(reader, "InstrumentEQP")) {
            xmlChar *value = xmlTextReaderGetAttribute(reader, BAD_CAST "LValue");
            if (!value)
                return std::nullopt;
            const QString code = QString::fromUtf8(reinterpret_cast<const char *>(value));
            xmlFree(value);
            return code;
        }
    }
    return std::nullopt;
}

} // namespace

int VX_CAAXML_PARSER::Read_File_Model(const QString &path)
{
    Reset_Document();
    // As Load_Document: regular files only (a fifo would block), below 2 GiB.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() >= qint64(INT_MAX))
        return kUnknownModel;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kUnknownModel;
    const qint64 size = file.size();
    uchar *mapped = file.map(0, size);
    const QByteArray bytes =
        mapped ? QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size))
               : file.readAll();
    // The same linear shape check as a full read: an element with a huge
    // number of attributes near the top would otherwise cost the reader
    // quadratic time before it reaches the model. A body that is merely
    // broken is the reader's to find: the header may still name the model.
    const QString problem =
        xmlShapeProblem(bytes.constData(), bytes.size(), XmlShapeLimits::wizard());
    const bool hostile = !problem.isEmpty() && !isMalformedOnly(problem);
    std::unique_ptr<xmlTextReader, ReaderFree> reader(
        hostile ? nullptr
                : xmlReaderForMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                     kReaderOptions));
    const std::optional<QString> code = reader ? modelCode(reader.get()) : std::nullopt;
    reader.reset();
    if (mapped)
        file.unmap(mapped);
    return code ? int(toLeadingInt(*code)) : kUnknownModel;
}

} // namespace stepvane
