// The cursor-free lookups of the XML layer: child elements and attributes
// by name, and attribute text read in place. Readers look hundreds of
// thousands of values up in a large wizard, so nothing here allocates
// unless an attribute's value is split into several nodes.
#include "document/VXXML_PARSER.h"

#include <libxml/tree.h>

#include <cstring>

namespace stepvane {

namespace {

// Whether a name libxml2 holds is these bytes. A wanted name with a NUL in
// it names nothing.
bool sameName(const xmlChar *name, std::string_view wanted)
{
    const auto *s = reinterpret_cast<const char *>(name);
    if (!s)
        return false;
    for (const char c : wanted) {
        if (c == '\0' || *s != c)
            return false;
        ++s;
    }
    return *s == '\0';
}

bool namesAttribute(const xmlAttr *attr, std::string_view wanted)
{
    if (!attr->ns || !attr->ns->prefix)
        return sameName(attr->name, wanted);
    const std::string_view prefix(reinterpret_cast<const char *>(attr->ns->prefix));
    return prefix.size() < wanted.size() && wanted.substr(0, prefix.size()) == prefix &&
           wanted[prefix.size()] == ':' && sameName(attr->name, wanted.substr(prefix.size() + 1));
}

} // namespace

xmlNode *VXXML_PARSER::Child_Element(const xmlNode *parent, std::string_view name)
{
    if (!parent || parent->type != XML_ELEMENT_NODE)
        return nullptr;
    for (xmlNode *c = parent->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && sameName(c->name, name))
            return c;
    return nullptr;
}

xmlNode *VXXML_PARSER::Element_At(const xmlNode *from, std::string_view path)
{
    // Most paths are one plain name.
    if (!path.empty() && !std::memchr(path.data(), '<', path.size()) &&
        !std::memchr(path.data(), '>', path.size()))
        return Child_Element(from, path);
    // As Find_Path splits it: at every bracket, empty pieces skipped.
    const auto bracket = [](char c) { return c == '<' || c == '>'; };
    const xmlNode *node = from;
    bool any = false;
    const char *p = path.data();
    const char *const end = p + path.size();
    while (p != end) {
        while (p != end && bracket(*p))
            ++p;
        const char *piece = p;
        while (p != end && !bracket(*p))
            ++p;
        if (p == piece)
            break;
        node = Child_Element(node, std::string_view(piece, size_t(p - piece)));
        if (!node)
            return nullptr;
        any = true;
    }
    return any ? const_cast<xmlNode *>(node) : nullptr;
}

const xmlAttr *VXXML_PARSER::Attribute_Named(const xmlNode *element, std::string_view qualifiedName)
{
    if (!element || element->type != XML_ELEMENT_NODE)
        return nullptr;
    for (const xmlAttr *a = element->properties; a; a = a->next)
        if (namesAttribute(a, qualifiedName))
            return a;
    return nullptr;
}

VXXML_PARSER::AttributeText::AttributeText(const xmlAttr *attr)
{
    if (!attr)
        return;
    const xmlNode *only = attr->children;
    if (only && !only->next && only->type == XML_TEXT_NODE && only->content) {
        m_text = reinterpret_cast<const char *>(only->content);
        return;
    }
    m_owned = reinterpret_cast<char *>(xmlNodeListGetString(attr->doc, attr->children, 1));
    m_text = m_owned;
}

VXXML_PARSER::AttributeText::~AttributeText()
{
    if (m_owned)
        xmlFree(m_owned);
}

QString VXXML_PARSER::AttributeText::toString() const
{
    return m_text ? QString::fromUtf8(m_text) : QString();
}

} // namespace stepvane
