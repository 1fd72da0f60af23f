// libxml2's own tree building with three of its SAX steps wrapped: an
// element typed bin.base64 gets a stream of its own (held in the node's
// application pointer), its character data goes there instead of into a
// text node, and its end closes the stream.
#include "document/DecodingParse.h"

#include "document/Base64.h"
#include "document/LibxmlErrors.h"
#include "document/VXXML_PARSER.h"
#include "document/XmlIo.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>

namespace stepvane {

namespace {

struct DecodingHandlers {
    startElementNsSAX2Func start = nullptr;
    endElementNsSAX2Func end = nullptr;
    charactersSAXFunc characters = nullptr;
    DecodedTexts *texts = nullptr;
    Base64Keeps keeps = Base64Keeps::Bytes;
    MappedInput *input = nullptr; // with the stretches libxml2 is not shown
    bool lost = false;            // one of them was not where an element's text begins
};

DecodingHandlers &handlersOf(void *ctx)
{
    return *static_cast<DecodingHandlers *>(static_cast<xmlParserCtxt *>(ctx)->_private);
}

bool sameText(const xmlChar *s, const char *text)
{
    return s && std::strcmp(reinterpret_cast<const char *>(s), text) == 0;
}

// Whether the attributes SAX hands over type the element bin.base64, as
// VXXML_PARSER::Embedded_Text would see it. A value libxml2 hands over with
// a reference unresolved is not recognised here; that element keeps its
// text in the tree, which reads the same.
bool typedBase64(int count, const xmlChar **attributes)
{
    static const size_t kTypeLength = std::strlen("bin.base64");
    for (int i = 0; i < count; ++i) {
        const xmlChar **a = attributes + 5 * i; // name, prefix, URI, value, end
        if (sameText(a[0], "dt") && sameText(a[2], kBase64TypeNamespace) &&
            size_t(a[4] - a[3]) == kTypeLength && std::memcmp(a[3], "bin.base64", kTypeLength) == 0)
            return true;
    }
    return false;
}

// Whether node or one of its ancestors follows a sibling of its own name.
// The look is bounded, and a node that needs more keeps its text: that is
// always right, only slower.
bool withinRepeatedCopy(const xmlNode *node)
{
    int budget = 1024;
    for (const xmlNode *n = node; n && n->type == XML_ELEMENT_NODE; n = n->parent)
        for (const xmlNode *p = n->prev; p; p = p->prev) {
            if (--budget < 0 || (p->type == XML_ELEMENT_NODE && xmlStrEqual(p->name, n->name)))
                return true;
        }
    return false;
}

bool allSpace(const char *text, size_t n)
{
    return std::all_of(text, text + n, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
}

// Gives element the skipped stretch that begins right after its start tag,
// as if libxml2 had read it. Anything else found where a stretch was
// expected (a stretch inside a comment, an entity, a converted encoding)
// stops the parse, which is then done again with nothing skipped.
void takeSkipped(xmlParserCtxt *ctxt, DecodingHandlers &handlers, xmlNode *element)
{
    MappedInput *in = handlers.input;
    if (!in || handlers.lost || in->taken >= in->skipped.size())
        return;
    const SkippedText &next = in->skipped[in->taken];
    xmlParserInput *input = ctxt->input;
    // The parser stands on the '>' that ends the start tag.
    const size_t at = size_t(input->consumed) + size_t(input->cur - input->base) + 1;
    if (at < next.shownAt)
        return;
    const char *text = in->data + next.begin;
    const size_t n = next.end - next.begin;
    Base64Stream *stream = decodedText(element);
    if (at > next.shownAt || ctxt->inputNr != 1 || *input->cur != '>' || !element ||
        (input->buf && input->buf->encoder) || (!stream && allSpace(text, n))) {
        handlers.lost = true;
        xmlStopParser(ctxt);
        return;
    }
    if (stream)
        stream->feed(text, qsizetype(n));
    else
        handlers.characters(ctxt, reinterpret_cast<const xmlChar *>(text), int(n));
    input->line += int(next.lines);
    ++in->taken;
}

void decodingStart(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri,
                   int namespaceCount, const xmlChar **namespaces, int attributeCount,
                   int defaultedCount, const xmlChar **attributes)
{
    auto *ctxt = static_cast<xmlParserCtxt *>(ctx);
    DecodingHandlers &handlers = handlersOf(ctx);
    const xmlNode *parent = ctxt->node;
    handlers.start(ctx, localname, prefix, uri, namespaceCount, namespaces, attributeCount,
                   defaultedCount, attributes);
    xmlNode *added = ctxt->node;
    if (added == parent || !added || added->type != XML_ELEMENT_NODE)
        added = nullptr;
    if (added && typedBase64(attributeCount, attributes) && !withinRepeatedCopy(added))
        added->_private = &handlers.texts->emplace_back(handlers.keeps);
    takeSkipped(ctxt, handlers, added);
}

void decodingEnd(void *ctx, const xmlChar *localname, const xmlChar *prefix, const xmlChar *uri)
{
    const xmlNode *ending = static_cast<xmlParserCtxt *>(ctx)->node;
    handlersOf(ctx).end(ctx, localname, prefix, uri);
    if (Base64Stream *stream = decodedText(ending))
        stream->finish();
}

void decodingCharacters(void *ctx, const xmlChar *text, int length)
{
    if (Base64Stream *stream = decodedText(static_cast<xmlParserCtxt *>(ctx)->node))
        stream->feed(reinterpret_cast<const char *>(text), length);
    else
        handlersOf(ctx).characters(ctx, text, length);
}

} // namespace

namespace {

xmlDoc *parse(xmlParserCtxt *ctxt, int options, DecodedTexts *texts, Base64Keeps keeps,
              MappedInput *input, bool &lost)
{
    if (!ctxt)
        return nullptr;
    xmlCtxtUseOptions(ctxt, options);
    DecodingHandlers handlers;
    if (texts && ctxt->sax && ctxt->sax->initialized == XML_SAX2_MAGIC) {
        handlers = {ctxt->sax->startElementNs,
                    ctxt->sax->endElementNs,
                    ctxt->sax->characters,
                    texts,
                    keeps,
                    input};
        ctxt->_private = &handlers;
        // Kept blanks come through the same step as other text.
        if (ctxt->sax->ignorableWhitespace == ctxt->sax->characters)
            ctxt->sax->ignorableWhitespace = decodingCharacters;
        ctxt->sax->startElementNs = decodingStart;
        ctxt->sax->endElementNs = decodingEnd;
        ctxt->sax->characters = decodingCharacters;
    }
    xmlParseDocument(ctxt);
    xmlDoc *doc = ctxt->myDoc;
    ctxt->myDoc = nullptr;
    if (doc && !ctxt->wellFormed) {
        xmlFreeDoc(doc);
        doc = nullptr;
    }
    lost = handlers.lost || (input && input->taken < input->skipped.size());
    ctxt->_private = nullptr;
    xmlFreeParserCtxt(ctxt);
    return doc;
}

xmlParserCtxt *mappedContext(MappedInput &input)
{
    return xmlCreateIOParserCtxt(nullptr, nullptr, readMapped, closeNothing, &input,
                                 XML_CHAR_ENCODING_NONE);
}

} // namespace

xmlDoc *parseDocument(xmlParserCtxt *ctxt, int options, DecodedTexts *texts, Base64Keeps keeps)
{
    bool lost = false;
    return parse(ctxt, options, texts, keeps, nullptr, lost);
}

xmlDoc *parseMapped(MappedInput &input, int options, DecodedTexts *texts, Base64Keeps keeps)
{
    bool lost = false;
    if (texts) {
        if (!input.skipped.empty()) {
            xmlDoc *doc = nullptr;
            {
                // A failure is parsed again below, for its own words.
                LibxmlErrors unheard;
                doc = parse(mappedContext(input), options, texts, keeps, &input, lost);
            }
            if (doc && !lost)
                return doc;
            xmlFreeDoc(doc);
            texts->clear();
        }
    }
    input = MappedInput(input.data, input.size);
    return parse(mappedContext(input), options, texts, keeps, nullptr, lost);
}

Base64Stream *decodedText(const xmlNode *element)
{
    return element && element->type == XML_ELEMENT_NODE
               ? static_cast<Base64Stream *>(element->_private)
               : nullptr;
}

} // namespace stepvane
