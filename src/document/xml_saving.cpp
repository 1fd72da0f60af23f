// VXXML_PARSER's saving: libxml2's own indented output when the style sheet
// is the one the program ships, the transformation otherwise, both into an
// AtomicFile, with each attached file's base64 written where its
// placeholder stands.
#include "document/VXXML_PARSER.h"

#include "common/AtomicFile.h"
#include "common/DataFiles.h"
#include "document/LibxmlErrors.h"
#include "document/Sha256.h"
#include "document/XmlIo.h"

#include <QFile>

#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstring>

namespace stepvane {

namespace {

// The SHA-256 of data/StyleSheet.xsl as shipped: an identity transform that
// indents (xsl:output indent="yes", xsl:strip-space on every element).
constexpr char kShippedSheetSha256[] =
    "7b15d1a28664acea1d7a19f793c81bad22505a286001a3eacb2c92e7218d84ba";

bool isShippedIdentitySheet(const QByteArray &sheet)
{
    return !sheet.isEmpty() && sha256(sheet).toHex() == kShippedSheetSha256;
}

} // namespace

bool VXXML_PARSER::writeFile(const QString &path,
                             const std::function<int(xmlOutputBufferPtr)> &serialise)
{
    if (!m_unwritable.isEmpty()) {
        m_error = QStringLiteral("%1 of <%2> holds the character %3, which XML cannot hold")
                      .arg(m_unwritable.attribute, m_unwritable.elements.join(QStringLiteral("><")),
                           m_unwritable.character);
        return false;
    }
    LibxmlErrors errors;
    AtomicFile file(path);
    if (!file.open()) {
        m_error = file.errorText();
        return false;
    }
    // libxml2 output goes into the AtomicFile, so the target is replaced only
    // after every byte was written and synced; attached files are written
    // where their placeholders stand.
    AttachmentSplicer splicer(m_attachments, [&file](const char *data, qsizetype size) {
        return file.write(data, size) == size;
    });
    xmlOutputBufferPtr out =
        xmlOutputBufferCreateIO(AttachmentSplicer::libxmlWrite, closeNothing, &splicer, nullptr);
    // serialise closes the buffer; a negative result means a write failed.
    const bool written = out && serialise(out) >= 0 && splicer.finish();
    if (written && file.commit())
        return true;
    // An attached file that cannot be embedded, else the system's reason (a
    // full disk); libxml2's own text is the fallback for a failure inside
    // the serialiser.
    file.discard();
    m_error = !splicer.errorText().isEmpty() ? splicer.errorText()
              : file.failed()                ? file.errorText()
                                             : errors.text();
    if (m_error.isEmpty())
        m_error = QStringLiteral("Cannot write %1").arg(path);
    return false;
}

bool VXXML_PARSER::Save_Document(const QString &path)
{
    if (!m_doc)
        return false;
    return writeFile(path, [this](xmlOutputBufferPtr out) {
        return xmlSaveFileTo(out, m_doc, "UTF-8"); // closes the buffer
    });
}

bool VXXML_PARSER::Save_Transformed(const QString &path)
{
    const QString sheetPath =
        m_styleSheet.isEmpty() ? dataFilePath(QStringLiteral("StyleSheet.xsl")) : m_styleSheet;
    if (sheetPath.isEmpty() || !m_doc) {
        m_error = QStringLiteral("StyleSheet.xsl not found");
        return false;
    }
    // Read through QFile: the entity loader refuses every external load,
    // including libxml2's own opening of a file by name.
    QFile sheetFile(sheetPath);
    const QByteArray sheetBytes =
        sheetFile.open(QIODevice::ReadOnly) ? sheetFile.readAll() : QByteArray();
    // The sheet the program ships indents an identical copy of the tree,
    // which libxml2's own indented output writes byte for byte, without a
    // second tree in memory. Any other sheet is applied.
    if (isShippedIdentitySheet(sheetBytes))
        return writeFile(path, [this](xmlOutputBufferPtr out) {
            return xmlSaveFormatFileTo(out, m_doc, "UTF-8", 1); // closes the buffer
        });
    LibxmlErrors errors;
    xmlDoc *sheetDoc = sheetBytes.isEmpty()
                           ? nullptr
                           : xmlReadMemory(sheetBytes.constData(), int(sheetBytes.size()), nullptr,
                                           nullptr, XML_PARSE_NONET);
    xsltStylesheetPtr sheet = sheetDoc ? xsltParseStylesheetDoc(sheetDoc) : nullptr;
    if (!sheet) {
        if (sheetDoc)
            xmlFreeDoc(sheetDoc);
        m_error = QStringLiteral("StyleSheet.xsl could not be loaded");
        return false;
    }
    bool ok = false;
    // A sheet of the user's sees every attached file's real text; when a
    // file cannot be embedded, m_error says which.
    const bool filled = fillPlaceholders();
    if (xmlDoc *result = filled ? xsltApplyStylesheet(sheet, m_doc, nullptr) : nullptr) {
        ok = writeFile(path, [&](xmlOutputBufferPtr out) {
            const int written = xsltSaveResultTo(out, result, sheet);
            const int closed = xmlOutputBufferClose(out);
            return written < 0 || closed < 0 ? -1 : written;
        });
        xmlFreeDoc(result);
    } else if (filled) {
        m_error = QStringLiteral("StyleSheet.xsl could not be applied");
    }
    xsltFreeStylesheet(sheet); // frees sheetDoc too
    return ok;
}

bool VXXML_PARSER::fillPlaceholders()
{
    if (m_attachments.empty())
        return true;
    // Iterative: a tree built by hand is not bounded in depth.
    xmlNode *node = m_root;
    while (node) {
        if (node->type == XML_TEXT_NODE && node->name == xmlStringTextNoenc &&
            holdsPlaceholder(reinterpret_cast<const char *>(node->content))) {
            QByteArray text;
            AttachmentSplicer splicer(m_attachments, [&text](const char *data, qsizetype size) {
                text.append(data, size);
                return true;
            });
            const auto *content = reinterpret_cast<const char *>(node->content);
            if (!splicer.write(content, qsizetype(std::strlen(content))) || !splicer.finish()) {
                m_error = splicer.errorText();
                return false;
            }
            xmlNode *filled = xmlNewDocTextLen(
                m_doc, reinterpret_cast<const xmlChar *>(text.constData()), int(text.size()));
            if (!filled) {
                m_error = QStringLiteral("Exception raised!");
                return false;
            }
            filled->name = xmlStringTextNoenc;
            xmlReplaceNode(node, filled);
            xmlFreeNode(node);
            node = filled;
        }
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && node != m_root && !node->next)
            node = node->parent;
        node = node && node != m_root ? node->next : nullptr;
    }
    m_attachments.clear();
    return true;
}

} // namespace stepvane
