// The XML cursor on libxml2/libxslt: loading, moves, attributes and embedded
// files (saving is in xml_saving.cpp). Attribute lists and the current path
// are built on demand: walking a freshly loaded tree must not copy every
// embedded base64 text into QStrings.
#include "document/VXXML_PARSER.h"

#include "common/AtomicFile.h"
#include "common/AttachmentFile.h"
#include "common/HeapReserve.h"
#include "common/XmlText.h"
#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/LibxmlErrors.h"
#include "document/Utf8Name.h"
#include "document/WorkingCopyDigests.h"
#include "document/XmlIo.h"
#include "document/XmlShape.h"

#include <QFile>
#include <QFileInfo>

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace stepvane {

namespace {

const xmlChar *X(const char *s)
{
    return reinterpret_cast<const xmlChar *>(s);
}

QString fromXml(const xmlChar *s)
{
    return s ? QString::fromUtf8(reinterpret_cast<const char *>(s)) : QString();
}

QString qualifiedName(const xmlAttr *attr)
{
    QString name = fromXml(attr->name);
    if (attr->ns && attr->ns->prefix)
        name = fromXml(attr->ns->prefix) + u':' + name;
    return name;
}

// Up to its first NUL, as the names were always compared.
std::string_view viewOf(const Utf8Name &name)
{
    return reinterpret_cast<const char *>(name.text());
}

// External entities and DTDs are never fetched, whatever a file asks for.
xmlParserInputPtr refuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    return nullptr;
}

void discardXsltError(void *, const char *, ...) {}

struct LibxmlSetup {
    LibxmlSetup()
    {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuseExternalEntity);
        // libxslt keeps one process-wide error channel; its messages never
        // reach the user (a failed transformation is reported by its result).
        xsltSetGenericErrorFunc(nullptr, discardXsltError);
    }
};

void ensureLibxml()
{
    static LibxmlSetup setup;
}

} // namespace

VXXML_PARSER::VXXML_PARSER()
{
    ensureLibxml();
    Reset_Document();
}

VXXML_PARSER::~VXXML_PARSER()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

void VXXML_PARSER::Reset_Document()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
    m_doc = xmlNewDoc(X("1.0"));
    // The names of a written tree are kept once each, as a parsed tree's
    // are: a large wizard has hundreds of thousands of elements and
    // attributes under a few hundred names.
    m_doc->dict = xmlDictCreate();
    m_decodedTexts.clear();
    m_root = nullptr;
    m_current = nullptr;
    m_foundIndex = -1;
    m_loaded = false;
    m_cacheValid = false;
    m_unwritable = {};
    m_attachments.clear();
}

bool VXXML_PARSER::Load_Document(const QString &path)
{
    Reset_Document();
    m_error = QStringLiteral("XML Document FAILED to load");
    m_loadProblem.clear();
    m_loadedPath = path;
    // Only regular files: opening a fifo would block. libxml2 takes an int
    // length, so anything of 2 GiB or more is refused rather than cut.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() <= 0 || info.size() >= qint64(INT_MAX))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A large file is mapped for the shape check and then parsed from the
    // mapping, so libxml2 takes it in small blocks rather than copying all of
    // it; a small one is cheaper to read than to map and unmap.
    const qint64 size = file.size();
    constexpr qint64 kMapFrom = 1 << 20;
    if (uchar *mapped = size >= kMapFrom ? file.map(0, size) : nullptr) {
        // The tree and the decoded attachments take up to about twice the
        // file; a small file's read is over before huge pages would pay.
        constexpr qint64 kReserveFrom = qint64(4) << 20;
        if (size >= kReserveFrom)
            reserveHeapForRead(size_t(size) * 2);
        const bool ok = loadBytes(
            QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size)), true);
        file.unmap(mapped);
        return ok;
    }
    return loadBytes(file.readAll());
}

bool VXXML_PARSER::Load_Document_From_Memory(const QByteArray &bytes)
{
    m_loadedPath.clear();
    return loadBytes(bytes);
}

bool VXXML_PARSER::loadBytes(const QByteArray &bytes, bool mapped)
{
    Reset_Document();
    m_error = QStringLiteral("XML Document FAILED to load");
    m_loadProblem.clear();
    if (bytes.isEmpty() || bytes.size() >= INT_MAX)
        return false;
    DecodedTexts *texts = m_decodeTyped ? &m_decodedTexts : nullptr;
    MappedInput input(bytes.constData(), size_t(bytes.size()));
    if (mapped && texts)
        input.skipped = skippableTexts(input.data, input.size);
    // Refused before libxml2 spends time and memory on a tree of it.
    m_loadProblem = xmlShapeProblem(bytes.constData(), bytes.size(), m_limits, &input.skipped);
    if (!m_loadProblem.isEmpty())
        return false;
    // libxml2 writes some lines of its own (an encoding it cannot convert)
    // even when told not to; they become the reason given for the failure.
    LibxmlErrors errors;
    // A command that looks at no attachment needs only their sizes, one
    // that compares them only their digests.
    const RestoredCopies how = restoredCopies();
    const Base64Keeps keeps = how == RestoredCopies::Named      ? Base64Keeps::Size
                              : how == RestoredCopies::Digested ? Base64Keeps::Digest
                                                                : Base64Keeps::Bytes;
    xmlDoc *doc =
        mapped ? parseMapped(input, kParseOptions, texts, keeps)
               : parseDocument(xmlCreateMemoryParserCtxt(bytes.constData(), int(bytes.size())),
                               kParseOptions, texts, keeps);
    if (!doc)
        m_loadProblem = errors.firstLine();
    if (finishLoad(doc))
        return true;
    m_decodedTexts.clear();
    return false;
}

bool VXXML_PARSER::finishLoad(xmlDoc *doc)
{
    if (!doc)
        return false;
    xmlNode *root = xmlDocGetRootElement(doc);
    if (!root || doc->intSubset) {
        xmlFreeDoc(doc);
        return false;
    }
    xmlFreeDoc(m_doc);
    m_doc = doc;
    m_root = root;
    m_error = QStringLiteral("Success");
    visitLoaded(m_root);
    setCurrent(m_root);
    m_loaded = true;
    return true;
}

void VXXML_PARSER::visitLoaded(xmlNode *root)
{
    // The first call shows whether the hook is overridden; the walk goes on
    // only for a parser that listens.
    m_nodeHookUnused = false;
    setCurrent(root);
    On_Node_Loaded();
    if (m_nodeHookUnused)
        return;
    if (root->type == XML_ELEMENT_NODE && root->children)
        visitNodes(root->children, 1);
    visitNodes(root->next, 0);
}

void VXXML_PARSER::visitNodes(xmlNode *node, int depth)
{
    // Iterative over siblings, recursive over depth; the parser bounds depth.
    for (; node; node = node->next) {
        setCurrent(node);
        On_Node_Loaded();
        if (node->type == XML_ELEMENT_NODE && node->children && depth < 256)
            visitNodes(node->children, depth + 1);
    }
}

bool VXXML_PARSER::Begin_Root()
{
    return Add_Element(QStringLiteral("STEPVANE"));
}

bool VXXML_PARSER::Add_Element(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    if (!m_current && !m_root) {
        xmlNode *node = xmlNewDocNode(m_doc, nullptr, X(utf8.constData()), nullptr);
        xmlDocSetRootElement(m_doc, node);
        m_root = node;
        setCurrent(node);
        return true;
    }
    if (!m_current || m_current->type != XML_ELEMENT_NODE)
        return false;
    xmlNode *node = xmlNewDocNode(m_doc, nullptr, X(utf8.constData()), nullptr);
    xmlAddChild(m_current, node);
    setCurrent(node);
    return true;
}

bool VXXML_PARSER::Set_Attribute(const QString &name, const QString &value)
{
    xmlNode *target = m_current ? m_current : m_root;
    if (!target || target->type != XML_ELEMENT_NODE)
        return false;
    if (const qsizetype bad = firstXmlUnsafeIndex(value); bad >= 0 || !isXmlSafeText(name)) {
        if (m_unwritable.isEmpty()) {
            for (const xmlNode *n = target; n && n->type == XML_ELEMENT_NODE; n = n->parent)
                m_unwritable.elements.prepend(fromXml(n->name));
            m_unwritable.attribute = name;
            m_unwritable.character = bad >= 0
                                         ? describeXmlUnsafeAt(value, bad)
                                         : describeXmlUnsafeAt(name, firstXmlUnsafeIndex(name));
        }
        return false;
    }
    xmlSetProp(target, X(name.toUtf8().constData()), X(value.toUtf8().constData()));
    setCurrent(m_current);
    return true;
}

bool VXXML_PARSER::Find_Attribute(const QString &name)
{
    m_foundIndex = -1;
    if (!m_current)
        return false;
    if (m_current->type == XML_TEXT_NODE || m_current->type == XML_CDATA_SECTION_NODE) {
        const char *pseudo = m_current->type == XML_TEXT_NODE ? "#TEXT#" : "#CDATA#";
        if (name == QLatin1String(pseudo))
            m_foundIndex = 0;
        return m_foundIndex == 0;
    }
    const Utf8Name wanted(name);
    const xmlAttr *found = Attribute_Named(m_current, viewOf(wanted));
    if (!found)
        return false;
    int index = 0;
    for (const xmlAttr *a = m_current->properties; a != found; a = a->next)
        ++index;
    m_foundIndex = index;
    return true;
}

QString VXXML_PARSER::Get_Attribute_Value()
{
    if (m_foundIndex >= 0 && m_current) {
        if (m_current->type == XML_TEXT_NODE || m_current->type == XML_CDATA_SECTION_NODE)
            return fromXml(m_current->content);
        int index = 0;
        for (xmlAttr *a = m_current->properties; a; a = a->next, ++index)
            if (index == m_foundIndex)
                return AttributeText(a).toString();
    }
    m_error = QStringLiteral("VXXML_PARSER::Get_Attribute_Value()  : Can't Retrieve an Attribute");
    return m_error;
}

bool VXXML_PARSER::Find_Child(const QString &name)
{
    return findChild(name);
}

bool VXXML_PARSER::findChild(QStringView name)
{
    const Utf8Name wanted(name);
    xmlNode *child = Child_Element(m_current, viewOf(wanted));
    if (child)
        setCurrent(child);
    return child != nullptr;
}

bool VXXML_PARSER::Find_Path(const QString &path)
{
    bool any = false;
    qsizetype start = 0;
    const qsizetype n = path.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || path.at(i) == u'<' || path.at(i) == u'>') {
            if (i > start) {
                if (!findChild(QStringView(path).mid(start, i - start)))
                    return false;
                any = true;
            }
            start = i + 1;
        }
    }
    return any;
}

bool VXXML_PARSER::Go_Parent()
{
    if (!m_current || m_current == m_root || !m_current->parent ||
        m_current->parent->type != XML_ELEMENT_NODE)
        return false;
    setCurrent(m_current->parent);
    return true;
}

bool VXXML_PARSER::Go_Up_To(const QString &name)
{
    if (!m_current)
        return false;
    const QByteArray utf8 = name.toUtf8();
    for (xmlNode *p = m_current->parent; p && p->type == XML_ELEMENT_NODE; p = p->parent) {
        if (xmlStrEqual(p->name, X(utf8.constData()))) {
            setCurrent(p);
            return true;
        }
    }
    return false;
}

bool VXXML_PARSER::Remove_Current()
{
    if (!m_current)
        return false;
    if (m_current == m_root) {
        Reset_Document();
        return true;
    }
    xmlNode *parent = m_current->parent;
    xmlUnlinkNode(m_current);
    xmlFreeNode(m_current);
    setCurrent(parent);
    return true;
}

bool VXXML_PARSER::Go_Root()
{
    if (!m_root)
        return false;
    setCurrent(m_root);
    return true;
}

bool VXXML_PARSER::Put_File_Base64(const QString &path)
{
    if (!m_current || m_current->type != XML_ELEMENT_NODE)
        return false;
    // Only a regular file of at most 1 GiB: a fifo would block the save and
    // a huge file exhaust memory. A copy a read-only command holds in memory
    // saves as the file would. The bytes are read when the save writes them.
    qint64 size = 0;
    QString why;
    if (const std::optional<QByteArray> held = heldWorkingCopy(path))
        size = held->size();
    else
        why = attachmentProblem(path, &size);
    if (!why.isEmpty() || size <= 0) {
        m_error =
            QStringLiteral("%1 %2").arg(path, why.isEmpty() ? QStringLiteral("is empty") : why);
        return false;
    }
    const QByteArray placeholder = attachmentPlaceholder(m_attachments.size());
    xmlNode *content = xmlNewDocTextLen(m_doc, X(placeholder.constData()), int(placeholder.size()));
    if (!content) {
        m_error = QStringLiteral("Exception raised!");
        return false;
    }
    xmlNsPtr ns = xmlSearchNsByHref(m_doc, m_current, X(kBase64TypeNamespace));
    if (!ns)
        ns = xmlNewNs(m_current, X(kBase64TypeNamespace), X("dt"));
    xmlSetNsProp(m_current, ns, X("dt"), X("bin.base64"));
    // Base64 needs no escaping; telling the serialiser so saves a scan of
    // every byte of every embedded file.
    content->name = xmlStringTextNoenc;
    xmlAddChild(m_current, content);
    m_attachments.push_back({path, size});
    setCurrent(m_current);
    return true;
}

bool VXXML_PARSER::Get_File_Base64(const QString &path)
{
    // An element of a tree being written holds its file's placeholder.
    if (!fillPlaceholders())
        return false;
    const RestoreResult result = Restore_Element_File(m_current, path);
    if (result == RestoreResult::BadData)
        m_error = QStringLiteral("Exception raised!");
    return result == RestoreResult::Ok;
}

QByteArray VXXML_PARSER::Embedded_Text(const xmlNode *element)
{
    if (!element || element->type != XML_ELEMENT_NODE)
        return QByteArray();
    const xmlChar *type = xmlGetNsProp(element, X("dt"), X(kBase64TypeNamespace));
    const bool typed = type && xmlStrEqual(type, X("bin.base64"));
    xmlFree(const_cast<xmlChar *>(type));
    if (!typed)
        return QByteArray();
    // One text child is read in place: no copy of the whole content.
    const xmlNode *only = element->children;
    if (only && !only->next && only->type == XML_TEXT_NODE && only->content) {
        const auto *s = reinterpret_cast<const char *>(only->content);
        return QByteArray::fromRawData(s, qsizetype(std::strlen(s)));
    }
    QByteArray joined;
    for (const xmlNode *c = element->children; c; c = c->next)
        if (c->type == XML_TEXT_NODE && c->content)
            joined += reinterpret_cast<const char *>(c->content);
    return joined;
}

VXXML_PARSER::RestoreResult VXXML_PARSER::Restore_Element_File(const xmlNode *element,
                                                               const QString &path, QString *error)
{
    QByteArray bytes;
    if (Base64Stream *decoded = decodedText(element)) {
        if (decoded->failed())
            return RestoreResult::BadData;
        bytes = decoded->takeBytes();
    } else if (!decodeBase64(Embedded_Text(element), bytes)) {
        return RestoreResult::BadData;
    }
    // A working copy cut short by a full disk would travel into the next
    // save as if it were the picture: it is written whole or not at all. It
    // need not outlive a power cut, so it is not synced.
    return writeFileAtomically(path, bytes, error, SyncToDisk::No) ? RestoreResult::Ok
                                                                   : RestoreResult::WriteFailed;
}

QString VXXML_PARSER::Current_Name() const
{
    return m_current ? fromXml(m_current->name) : QString();
}

QString VXXML_PARSER::Root_Name() const
{
    return m_root ? fromXml(m_root->name) : QString();
}

void VXXML_PARSER::Set_Current_Node(xmlNode *node)
{
    setCurrent(node);
}

void VXXML_PARSER::setCurrent(xmlNode *node)
{
    m_current = node;
    m_foundIndex = -1;
    m_cacheValid = false;
}

void VXXML_PARSER::rebuildCache() const
{
    m_attrNames.clear();
    m_attrValues.clear();
    m_currentPath.clear();
    m_cacheValid = true;
    if (!m_current)
        return;
    if (m_current->type == XML_TEXT_NODE || m_current->type == XML_CDATA_SECTION_NODE) {
        m_attrNames << QString::fromLatin1(m_current->type == XML_TEXT_NODE ? "#TEXT#" : "#CDATA#");
        m_attrValues << fromXml(m_current->content);
    } else if (m_current->type == XML_ELEMENT_NODE) {
        for (xmlAttr *a = m_current->properties; a; a = a->next) {
            m_attrNames << qualifiedName(a);
            m_attrValues << AttributeText(a).toString();
        }
    }
    QStringList parts;
    for (const xmlNode *n = m_current; n && n->type != XML_DOCUMENT_NODE; n = n->parent) {
        if (n->type == XML_TEXT_NODE)
            parts.prepend(QStringLiteral("<#TEXT#>"));
        else if (n->type == XML_CDATA_SECTION_NODE)
            parts.prepend(QStringLiteral("<#CDATA#>"));
        else
            parts.prepend(u'<' + fromXml(n->name) + u'>');
    }
    m_currentPath = parts.join(QString());
}

const QStringList &VXXML_PARSER::Attribute_Names() const
{
    if (!m_cacheValid)
        rebuildCache();
    return m_attrNames;
}

const QStringList &VXXML_PARSER::Attribute_Values() const
{
    if (!m_cacheValid)
        rebuildCache();
    return m_attrValues;
}

QString VXXML_PARSER::Current_Path() const
{
    if (!m_cacheValid)
        rebuildCache();
    return m_currentPath;
}

} // namespace stepvane
