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
//
// The markup up to that element is walked here, each comment, processing
// instruction and CDATA section passed over in one search; only the element's
// own start tag goes to libxml2, which decodes its attribute as the DOM
// would. (libxml2's streaming reader searched a huge comment or CDATA
// section again for every piece it took in, in time that grew with the
// square of its size.)
#include "document/VX_CAAXML_PARSER.h"

#include "document/LibxmlErrors.h"
#include "document/NameTables.h"
#include "document/XmlShape.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>

namespace stepvane {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool startsWith(const char *p, const char *end, const char *text)
{
    const size_t n = std::strlen(text);
    return size_t(end - p) >= n && std::memcmp(p, text, n) == 0;
}

// Just past the first terminator at or after p; null when there is none.
const char *past(const char *p, const char *end, const char *terminator)
{
    const size_t n = std::strlen(terminator);
    const void *hit = memmem(p, size_t(end - p), terminator, n);
    return hit ? static_cast<const char *>(hit) + n : nullptr;
}

// The '>' that ends the start tag at p (quoted values may hold one).
const char *tagEnd(const char *p, const char *end)
{
    for (; p < end; ++p) {
        if (*p == '"' || *p == '\'') {
            p = static_cast<const char *>(std::memchr(p + 1, *p, size_t(end - p - 1)));
            if (!p)
                return nullptr;
        } else if (*p == '>') {
            return p;
        }
    }
    return nullptr;
}

// The start tag of the model element, or empty when the header names none.
QByteArray modelTag(const char *p, const char *end)
{
    int depth = 0; // elements open before the tag at hand
    bool inInformation = false;
    while (p < end) {
        const auto *lt = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!lt || lt + 1 >= end)
            return {};
        p = lt + 1;
        if (*p == '?' || *p == '!') {
            if (*p == '!' && !startsWith(p, end, "!--") && !startsWith(p, end, "![CDATA["))
                return {}; // a document type declaration
            p = past(p, end, *p == '?' ? "?>" : startsWith(p, end, "!--") ? "-->" : "]]>");
            if (!p)
                return {};
            continue;
        }
        const char *gt = tagEnd(p, end);
        if (!gt)
            return {};
        if (*p == '/') {
            --depth;
            if (depth <= 0 || (inInformation && depth == 1))
                return {}; // the root or the first Information ended first
            p = gt + 1;
            continue;
        }
        const char *nameEnd = p;
        while (nameEnd < gt && !isSpace(*nameEnd) && *nameEnd != '/')
            ++nameEnd;
        const QByteArray name(p, nameEnd - p);
        const bool empty = gt[-1] == '/';
        if (depth == 1 && !inInformation && name == "Information") {
            if (empty)
                return {};
            inInformation = true;
        } else if (depth == 2 && inInformation && name == "InstrumentEQP") {
            return QByteArray(lt, gt + 1 - lt);
        }
        p = gt + 1;
        if (!empty)
            ++depth;
    }
    return {};
}

// The LValue of the model element's start tag, decoded by libxml2 under the
// file's own XML declaration (its encoding).
std::optional<QString> modelCode(const char *data, const char *end)
{
    QByteArray tag = modelTag(data, end);
    if (tag.isEmpty())
        return std::nullopt;
    if (!tag.endsWith("/>"))
        tag.insert(tag.size() - 1, '/');
    const char *declaration = data;
    if (startsWith(declaration, end, "\xEF\xBB\xBF"))
        declaration += 3;
    const char *declarationEnd =
        startsWith(declaration, end, "<?xml") ? past(declaration, end, "?>") : nullptr;
    const QByteArray text =
        (declarationEnd ? QByteArray(data, declarationEnd - data) : QByteArray()) + tag;
    const LibxmlErrors quiet; // what libxml2 says here is the full read's to say
    xmlDoc *doc =
        xmlReadMemory(text.constData(), int(text.size()), nullptr, nullptr, kParseOptions);
    xmlNode *root = doc ? xmlDocGetRootElement(doc) : nullptr;
    xmlChar *value = root ? xmlGetNoNsProp(root, BAD_CAST "LValue") : nullptr;
    std::optional<QString> code;
    if (value)
        code = QString::fromUtf8(reinterpret_cast<const char *>(value));
    xmlFree(value);
    xmlFreeDoc(doc);
    return code;
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
    const std::optional<QString> code =
        hostile ? std::nullopt : modelCode(bytes.constData(), bytes.constData() + bytes.size());
    if (mapped)
        file.unmap(mapped);
    return code ? int(toLeadingInt(*code)) : kUnknownModel;
}

} // namespace stepvane
