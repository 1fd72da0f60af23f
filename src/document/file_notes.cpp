// What a file holds beyond the document it reads into: attached files the
// instrument would not show, and second copies of elements the format holds
// once. The reader passes over both, so neither may pass unseen: each is
// reported through the message sink and kept as a note in the document for
// the check and the review diff.
#include "document/VX_CAAXML_PARSER.h"

#include "document/Sha256.h"

#include <libxml/tree.h>

#include <cstring>
#include <unordered_set>
#include <vector>

namespace stepvane {

namespace {

// The sink hears of this many notes a read; the document keeps them all up
// to kMaxNotes (a hostile file may repeat every element).
constexpr int kReportedNotes = 5;
constexpr size_t kMaxNotes = 1000;

QString nameOf(const xmlNode *node)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(node->name));
}

// A digest of an element as it stands in the file, so that two files whose
// passed-over copies differ compare different.
QByteArray digestOf(const xmlNode *node)
{
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlNodeDump(buffer, node->doc, const_cast<xmlNode *>(node), 0, 0);
    const QByteArray digest =
        sha256(reinterpret_cast<const char *>(xmlBufferContent(buffer)), xmlBufferLength(buffer))
            .toHex()
            .left(16);
    xmlBufferFree(buffer);
    return digest;
}

} // namespace

void VX_CAAXML_PARSER::addNote(FileNote note, const Message &message, const QString &text)
{
    if (!m_doc || m_doc->FileNotes.size() >= kMaxNotes)
        return;
    note.sequence = m_noteSequence;
    note.step = m_noteStep;
    m_doc->FileNotes.push_back(note);
    // The editor shows each message in a box of its own.
    if (++m_notesReported > kReportedNotes) {
        if (m_notesReported == kReportedNotes + 1)
            report(Message::fromText(QStringLiteral("The file holds more of the same; the check "
                                                    "lists them all."),
                                     {}, MessageIcon::Warning));
        return;
    }
    QString place;
    if (m_noteSequence >= 0)
        place = QStringLiteral("Sequence %1").arg(m_noteSequence + 1);
    if (m_noteStep >= 0)
        place += QStringLiteral(", step %1 (%2)").arg(m_noteStep + 1).arg(m_noteStepName);
    place += (place.isEmpty() ? QString() : QStringLiteral(", ")) + note.field;
    report(message.withDetail(place + QStringLiteral(": ") + text));
}

void VX_CAAXML_PARSER::noteDamaged(const Slot &slot, const QString &reason)
{
    const QString what = slot.kind == SlotKind::Picture ? QStringLiteral("shows no picture")
                         : slot.kind == SlotKind::Mask  ? QStringLiteral("gets no mask file")
                                                        : QStringLiteral("gets no setup file");
    FileNote note;
    note.kind = FileNote::DamagedAttachment;
    note.field = slot.element;
    note.message = QStringLiteral("the instrument %1 here: %2").arg(what, reason);
    addNote(note, slot.failure, note.message);
}

void VX_CAAXML_PARSER::noteStatedSize(const Slot &slot, quint32 stated, quint32 actual)
{
    // The file opens as it always did (the record takes the data's size and
    // a save writes it); only the check says so, since the instrument may
    // trust the field.
    if (!m_doc || m_doc->FileNotes.size() >= kMaxNotes)
        return;
    FileNote note;
    note.kind = FileNote::StatedSizeDiffers;
    note.sequence = m_noteSequence;
    note.step = m_noteStep;
    note.field = slot.element;
    note.message = QStringLiteral("The file states Image_filesize %1 for the picture \"%2\", but "
                                  "its data holds %3 bytes; the instrument may trust the stated "
                                  "size. Saving the wizard writes %3.")
                       .arg(stated)
                       .arg(slot.name)
                       .arg(actual);
    m_doc->FileNotes.push_back(note);
}

void VX_CAAXML_PARSER::noteRepeatedElements(const xmlNode *element, bool deep,
                                            const QString &prefix)
{
    m_seenNames.clear();
    noteRepeatsBelow(element, element, deep, prefix);
}

void VX_CAAXML_PARSER::noteRepeatsBelow(const xmlNode *top, const xmlNode *element, bool deep,
                                        const QString &prefix)
{
    // Names of a parsed document come from its dictionary, one pointer per
    // name: the distinct names are looked through while they are few and
    // hashed past that, so an element with many children costs one pass. A
    // tree built in memory compares the names themselves. The names seen at
    // this level follow those of the levels above in m_seenNames.
    const bool interned = element->doc && element->doc->dict;
    constexpr size_t kLinear = 16;
    const size_t first = m_seenNames.size();
    std::unordered_set<const xmlChar *> hashed;
    for (const xmlNode *c = element->children; c; c = c->next) {
        // Nothing more would be kept: the rest is not worth the walk.
        if (!m_doc || m_doc->FileNotes.size() >= kMaxNotes)
            break;
        if (c->type != XML_ELEMENT_NODE)
            continue;
        bool repeated = false;
        if (interned && m_seenNames.size() - first >= kLinear) {
            if (hashed.empty())
                hashed.insert(m_seenNames.begin() + std::ptrdiff_t(first), m_seenNames.end());
            repeated = !hashed.insert(c->name).second;
        } else {
            for (size_t i = first; i < m_seenNames.size() && !repeated; ++i)
                repeated = m_seenNames[i] == c->name ||
                           (!interned && xmlStrEqual(m_seenNames[i], c->name));
            if (!repeated)
                m_seenNames.push_back(c->name);
        }
        if (!repeated) {
            if (deep && c->children)
                noteRepeatsBelow(top, c, true, prefix);
            continue;
        }
        // The path is spelled out only for a repeat: most elements have none.
        QString field = prefix;
        std::vector<const xmlNode *> groups;
        for (const xmlNode *g = element; g != top; g = g->parent)
            groups.push_back(g);
        for (auto g = groups.rbegin(); g != groups.rend(); ++g)
            field += nameOf(*g) + u'/';
        field += nameOf(c);
        FileNote note;
        note.kind = FileNote::IgnoredContent;
        note.field = field;
        note.message = QStringLiteral("The file holds a second %1 element here. The reader takes "
                                      "the first and passes over this one, so review never sees "
                                      "it; the instrument may read it instead.")
                           .arg(nameOf(c));
        note.digest = digestOf(c);
        addNote(note,
                Message::fromText(QStringLiteral("The file holds content the reader passes over."),
                                  {}, MessageIcon::Warning),
                QStringLiteral("a second %1 element").arg(nameOf(c)));
    }
    m_seenNames.resize(first);
}

} // namespace stepvane
