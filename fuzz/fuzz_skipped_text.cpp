// Fuzzes the parse that takes long base64 texts straight from the mapped
// file against the plain decoding parse: any bytes must give the same tree,
// line numbers, decoded texts and words for a failure both ways, and the
// same answer from the shape check that jumps over those texts. Each "%B"
// in the input becomes a few lines of base64, long enough to be skipped, so
// that mutations reach the skipping without building such runs byte by byte.
#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/LibxmlErrors.h"
#include "document/XmlIo.h"
#include "document/XmlShape.h"

#include <QByteArray>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <functional>

using namespace stepvane;

namespace {

QByteArray seen(xmlDoc *doc, const LibxmlErrors &errors)
{
    if (!doc)
        return "fails: " + errors.firstLine().toUtf8();
    xmlChar *dumped = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc, &dumped, &size);
    QByteArray out(reinterpret_cast<const char *>(dumped), size);
    xmlFree(dumped);
    std::function<void(xmlNode *)> walk = [&](xmlNode *n) {
        for (; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            out += '\n' + QByteArray::number(xmlGetLineNo(n));
            if (Base64Stream *s = decodedText(n))
                out += s->failed()
                           ? " " + s->problem().toUtf8()
                           : " " + s->takeBytes().toHex() + ' ' + QByteArray::number(s->size());
            walk(n->children);
        }
    };
    walk(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 64 * 1024)
        return 0;
    const QByteArray text = QByteArray(76, 'Q') + "\n" + QByteArray(76, 'U') + "\n" +
                            QByteArray(76, 'J') + "\n" + QByteArray(40, 'D');
    QByteArray xml = QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    xml.replace("%B", text);
    if (xml.isEmpty())
        return 0;
    // The skipping reads a mapping, so the input goes into a memory file.
    const int fd = memfd_create("fuzz-skipped-text", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, xml.constData(), size_t(xml.size())) != xml.size())
        std::abort();
    void *mapped = mmap(nullptr, size_t(xml.size()), PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED)
        std::abort();

    const int options = kParseOptions;
    QByteArray plain;
    {
        LibxmlErrors errors;
        DecodedTexts texts;
        plain = seen(parseDocument(xmlCreateMemoryParserCtxt(xml.constData(), int(xml.size())),
                                   options, &texts),
                     errors);
    }
    QByteArray skipping;
    {
        LibxmlErrors errors;
        DecodedTexts texts;
        MappedInput input(static_cast<const char *>(mapped), size_t(xml.size()));
        input.skipped = skippableTexts(input.data, input.size);
        skipping = seen(parseMapped(input, options, &texts), errors);
    }
    const auto skipped = skippableTexts(xml.constData(), size_t(xml.size()));
    if (xmlShapeProblem(xml.constData(), xml.size(), XmlShapeLimits::wizard(), &skipped) !=
        xmlShapeProblem(xml.constData(), xml.size(), XmlShapeLimits::wizard()))
        std::abort();
    munmap(mapped, size_t(xml.size()));
    ::close(fd);
    if (plain != skipping)
        std::abort();
    return 0;
}
