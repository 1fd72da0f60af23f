// Reads an exported page back with libxml2's HTML parser: its errors, its
// elements, the links and picture sources, and its text.
#pragma once

#include "document/LibxmlErrors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <libxml/HTMLparser.h>

namespace stepvane::test {

struct ParsedPage {
    bool parsed = false;
    QString errors;          // libxml2's errors; empty for a valid page
    QStringList elements;    // element names in document order
    QStringList links;       // every href and src
    QStringList handlers;    // every on... attribute
    QStringList idsAndNames; // every id
    QString text;            // the text content
};

inline void walkNodes(xmlNode *node, ParsedPage &page)
{
    for (xmlNode *n = node; n; n = n->next) {
        if (n->type == XML_ELEMENT_NODE) {
            page.elements << QString::fromUtf8(reinterpret_cast<const char *>(n->name));
            for (xmlAttr *a = n->properties; a; a = a->next) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char *>(a->name));
                xmlChar *value = xmlNodeListGetString(n->doc, a->children, 1);
                const QString text = QString::fromUtf8(reinterpret_cast<const char *>(value));
                xmlFree(value);
                if (name == QLatin1String("href") || name == QLatin1String("src"))
                    page.links << text;
                if (name.startsWith(QLatin1String("on"), Qt::CaseInsensitive))
                    page.handlers << name;
                if (name == QLatin1String("id"))
                    page.idsAndNames << text;
            }
        }
        walkNodes(n->children, page);
    }
}

inline ParsedPage parsePage(const QByteArray &html)
{
    ParsedPage page;
    LibxmlErrors errors;
    htmlDocPtr doc = htmlReadMemory(html.constData(), int(html.size()), "index.html", "UTF-8",
                                    HTML_PARSE_NONET | HTML_PARSE_NOWARNING);
    page.errors = errors.text();
    if (!doc)
        return page;
    page.parsed = true;
    walkNodes(xmlDocGetRootElement(doc), page);
    xmlChar *text = xmlNodeGetContent(xmlDocGetRootElement(doc));
    page.text = QString::fromUtf8(reinterpret_cast<const char *>(text));
    xmlFree(text);
    xmlFreeDoc(doc);
    return page;
}

} // namespace stepvane::test
