// A cursor-style wrapper over a libxml2 DOM. Callers never touch nodes: they
// move the current element, add children under it, set and read its
// attributes, and store whole files in it as base64.
#pragma once

#include "document/Base64.h"
#include "document/DecodingParse.h"
#include "document/XmlIo.h"
#include "document/XmlShape.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>
#include <vector>

typedef struct _xmlDoc xmlDoc;
typedef struct _xmlNode xmlNode;
typedef struct _xmlAttr xmlAttr;
typedef struct _xmlOutputBuffer xmlOutputBuffer;

namespace stepvane {

class VXXML_PARSER {
public:
    VXXML_PARSER();
    virtual ~VXXML_PARSER();
    VXXML_PARSER(const VXXML_PARSER &) = delete;
    VXXML_PARSER &operator=(const VXXML_PARSER &) = delete;

    void Reset_Document();
    // Parses the file without network access, DTD loading or entity
    // substitution; huge text nodes (large embedded files) are allowed. A
    // text that breaks the shape limits (see XmlShape.h) is refused before
    // it is parsed; Load_Problem() then says which limit.
    bool Load_Document(const QString &path);
    // Parses XML held in memory, with the same safety rules.
    bool Load_Document_From_Memory(const QByteArray &bytes);
    // Saving replaces the target only once the whole file has been written
    // and synced; on failure the old file is untouched and Error_Text names
    // the cause ("Cannot write ...: No space left on device").
    bool Save_Document(const QString &path);
    // Saves through StyleSheet.xsl (beside the program).
    bool Save_Transformed(const QString &path);

    bool Begin_Root();
    bool Add_Element(const QString &name);
    bool Set_Attribute(const QString &name, const QString &value);
    bool Find_Attribute(const QString &name);
    QString Get_Attribute_Value();
    bool Find_Child(const QString &name);
    bool Find_Path(const QString &path);
    bool Go_Parent();
    bool Go_Up_To(const QString &name);
    bool Remove_Current();
    bool Go_Root();
    // Checks the file (or the copy held in memory) now and puts a
    // placeholder in the element; the save reads and encodes it again when
    // it writes that element, and fails, naming the file, if it went away
    // or changed size in between.
    bool Put_File_Base64(const QString &path);
    bool Get_File_Base64(const QString &path);

    QString Error_Text() const { return m_error; }
    // The first attribute Set_Attribute refused because XML cannot hold its
    // text (a control character, U+FFFE, a lone surrogate). A document with
    // one is never saved: a file nobody can read back is worse than none.
    struct UnwritableText {
        QStringList elements; // from the document element down to the owner
        QString attribute;
        QString character; // "U+0001"
        bool isEmpty() const { return character.isEmpty(); }
    };
    const UnwritableText &Unwritable_Text() const { return m_unwritable; }
    // Why the last load failed: the limit the text broke before parsing, or
    // what libxml2 said of it (an unsupported encoding); empty otherwise.
    QString Load_Problem() const { return m_loadProblem; }
    // The file the last Load_Document read (empty after a load from memory),
    // for messages that name it.
    QString Loaded_Path() const { return m_loadedPath; }
    void Set_Shape_Limits(const XmlShapeLimits &limits) { m_limits = limits; }
    const XmlShapeLimits &Shape_Limits() const { return m_limits; }
    QString Current_Path() const;
    QString Current_Name() const;
    QString Root_Name() const;
    bool Is_Loaded() const { return m_loaded; }
    const QStringList &Attribute_Names() const;
    const QStringList &Attribute_Values() const;
    int Found_Index() const { return m_foundIndex; }

    // Where the style sheet is looked for; tests may point elsewhere.
    void Set_Style_Sheet_Path(const QString &path) { m_styleSheet = path; }

protected:
    // Called for every node of a freshly loaded document, parents first, with
    // the cursor on that node. A hook for derived parsers; an override does
    // not call this one, which does nothing but tell the load that nobody
    // listens, so that a large tree is not walked for nothing.
    virtual void On_Node_Loaded() { m_nodeHookUnused = true; }

    // Writes the file held in a base64 element (an element without typed
    // content gives an empty file). Reads the DOM only (a text decoded while
    // loading is handed over, once), so it may run on a worker thread while
    // the document stays unchanged.
    enum class RestoreResult { Ok, BadData, WriteFailed };
    // error (when given) says why a write failed.
    static RestoreResult Restore_Element_File(const xmlNode *element, const QString &path,
                                              QString *error = nullptr);
    // The base64 text of an element typed "bin.base64" (empty for any other
    // element).
    static QByteArray Embedded_Text(const xmlNode *element);

    // Whether loads decode the text of elements typed bin.base64 as they
    // read it (see DecodingParse.h): Embedded_Text then finds no text in
    // them, and decodedText() holds it decoded.
    void Decode_Typed_Text(bool on) { m_decodeTyped = on; }

    // Lookups that leave the cursor alone, for readers that look many values
    // up from one element. Names are UTF-8 and compared as bytes, as the
    // cursor's moves compare them. The first child element of that name:
    static xmlNode *Child_Element(const xmlNode *parent, std::string_view name);
    // The element a path ("Name", or "<Group><Name>" as Find_Path takes it)
    // leads to from an element; null when a piece is missing or the path
    // holds none.
    static xmlNode *Element_At(const xmlNode *from, std::string_view path);
    // The first attribute whose name, with its prefix when it has one, is
    // qualifiedName, as Find_Attribute finds it.
    static const xmlAttr *Attribute_Named(const xmlNode *element, std::string_view qualifiedName);
    // An attribute's value as Get_Attribute_Value gives it, as UTF-8: read in
    // place when it is one text node (all a parsed file holds), else joined
    // into a copy this frees. Null when the attribute has no value node.
    class AttributeText {
    public:
        explicit AttributeText(const xmlAttr *attr);
        ~AttributeText();
        AttributeText(const AttributeText &) = delete;
        AttributeText &operator=(const AttributeText &) = delete;
        const char *text() const { return m_text; }
        QString toString() const;

    private:
        const char *m_text = nullptr;
        char *m_owned = nullptr;
    };

    // Cursor bookmarks for readers that look several paths up from one element.
    xmlNode *Current_Node() const { return m_current; }
    void Set_Current_Node(xmlNode *node);
    void Set_Error_Text(const QString &text) { m_error = text; }

private:
    bool writeFile(const QString &path, const std::function<int(xmlOutputBuffer *)> &serialise);
    // Puts each attached file's base64 text in place of its placeholder,
    // for whatever reads the tree itself (a style sheet).
    bool fillPlaceholders();
    void setCurrent(xmlNode *node);
    bool findChild(QStringView name);
    void rebuildCache() const;
    bool finishLoad(xmlDoc *doc);
    // mapped: the bytes are a mapping of the file, released as they are parsed.
    bool loadBytes(const QByteArray &bytes, bool mapped = false);
    // Calls On_Node_Loaded for every node from the document element on.
    void visitLoaded(xmlNode *root);
    void visitNodes(xmlNode *node, int depth);

    xmlDoc *m_doc = nullptr;
    xmlNode *m_root = nullptr;
    xmlNode *m_current = nullptr;
    // Built on demand from the current node.
    mutable bool m_cacheValid = false;
    mutable QString m_currentPath;
    mutable QStringList m_attrNames;
    mutable QStringList m_attrValues;
    int m_foundIndex = -1;
    QString m_error = QStringLiteral("Success");
    UnwritableText m_unwritable;
    QString m_loadProblem;
    QString m_loadedPath;
    XmlShapeLimits m_limits;
    bool m_loaded = false;
    bool m_nodeHookUnused = false; // set by the base On_Node_Loaded
    QString m_styleSheet;
    bool m_decodeTyped = false;
    DecodedTexts m_decodedTexts; // of the loaded tree's typed elements
    // The files Put_File_Base64 left placeholders for, by index.
    std::vector<PendingAttachment> m_attachments;
};

// The attribute text that marks an element holding a base64 file.
inline constexpr const char *kBase64TypeNamespace = "urn:schemas-microsoft-com:datatypes";

} // namespace stepvane
