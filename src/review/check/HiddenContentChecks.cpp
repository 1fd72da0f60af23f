// Checks of what review does not see in the steps themselves: the notes the
// reader made on the file (attached files the instrument would not show,
// second copies of elements that the reader passed over) and picture names
// that play tricks with paths or with the way text is shown.
#include "review/check/StepChecks.h"

namespace stepvane {

namespace {

bool isBidiControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// What makes a stored picture name more than a plain file name; empty when
// nothing does.
QString nameTrick(const QString &name)
{
    if (name.startsWith(QLatin1String("\\\\")) || name.startsWith(QLatin1String("//")))
        return QStringLiteral("a network (UNC) path");
    if (name.startsWith(u'/') || name.startsWith(u'\\'))
        return QStringLiteral("an absolute path");
    if (name.size() >= 2 && name.at(1) == u':' && name.at(0).unicode() < 0x80 &&
        name.at(0).isLetter())
        return QStringLiteral("a drive letter");
    for (const QString &part : pathParts(name))
        if (part == QLatin1String(".."))
            return QStringLiteral("the path part \"..\"");
    for (const QChar c : name) {
        if (isControl(c.unicode()))
            return QStringLiteral("a control character");
        if (isBidiControl(c.unicode()))
            return QStringLiteral("a bidirectional control character");
    }
    return QString();
}

// The name with its invisible characters written out, so the message shows
// what the file holds.
QString visibleName(const QString &name)
{
    QString out;
    for (const QChar c : name)
        out += isControl(c.unicode()) || isBidiControl(c.unicode())
                   ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                   : QString(c);
    return out;
}

} // namespace

void checkPictureNames(StepCheck &c, const TaskStep &step)
{
    for (const AttachmentRef &file : stepAttachments(step)) {
        if (!file.isPicture())
            continue;
        if (const QString trick = nameTrick(file.name); !trick.isEmpty())
            c.error(file.field, QStringLiteral("The picture name \"%1\" is not a plain file name: "
                                               "it holds %2.")
                                    .arg(visibleName(file.name), trick));
    }
}

void checkFileNotes(const WizardDocument &doc, std::vector<Finding> &out)
{
    // Damaged and passed-over content are errors: what the reviewer saw is
    // not what the instrument gets. A stated size that differs is a warning:
    // the bytes are all there.
    for (const FileNote &note : doc.FileNotes)
        out.push_back(
            {note.kind == FileNote::StatedSizeDiffers ? Severity::Warning : Severity::Error,
             note.sequence, note.step, note.field, note.message});
}

} // namespace stepvane
