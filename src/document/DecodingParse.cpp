// libxml2's own tree building with three of its SAX steps wrapped: an
// element typed bin.base64 gets a stream of its own (held in the node's
// application pointer), its character data goes there instead of into a
// text node, and its end closes the stream.
#include "document/DecodingParse.h"

#include "document/Base64.h"
#include "document/VXXML_PARSER.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>

namespace stepvane {

namespace {

struct DecodingHandlers {
    startElementNsSAX2Func start = nullptr;
    endElementNsSAX2Func end = nullptr;
    charactersSAXFunc characters = nullptr;
    DecodedTexts *texts = nullptr;
    Base64Keeps keeps = Base64Keeps::Bytes;
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
    if (added && added != parent && added->type == XML_ELEMENT_NODE &&
        typedBase64(attributeCount, attributes) && !withinRepeatedCopy(added))
        added->_private = &handlers.texts->emplace_back(handlers.keeps);
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

xmlDoc *parseDocument(xmlParserCtxt *ctxt, int options, DecodedTexts *texts, Base64Keeps keeps)
{
    if (!ctxt)
        return nullptr;
    xmlCtxtUseOptions(ctxt, options);
    DecodingHandlers handlers;
    if (texts && ctxt->sax && ctxt->sax->initialized == XML_SAX2_MAGIC) {
        handlers = {ctxt->sax->startElementNs, ctxt->sax->endElementNs, ctxt->sax->characters,
                    texts, keeps};
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
    ctxt->_private = nullptr;
    xmlFreeParserCtxt(ctxt);
    return doc;
}

Base64Stream *decodedText(const xmlNode *element)
{
    return element && element->type == XML_ELEMENT_NODE
               ? static_cast<Base64Stream *>(element->_private)
               : nullptr;
}

} // namespace stepvane
