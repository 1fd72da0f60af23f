// Checks of the files a step carries: each one the writer embeds must be
// there, hold what the step says it holds and, for pictures, decode to the
// width and height the step stores.
#include "review/check/StepChecks.h"

#include "document/WorkingCopyDigests.h"

namespace stepvane {

namespace {

QString kindWord(const AttachmentRef &file)
{
    switch (file.type) {
    case AttachmentRef::Picture:
        return QStringLiteral("picture");
    case AttachmentRef::Logo:
        return QStringLiteral("logo");
    case AttachmentRef::MaskFile:
        return QStringLiteral("mask file");
    case AttachmentRef::SetupFile:
        return QStringLiteral("setup file");
    }
    return QString();
}

// "The picture "mast.png" of prompt 3" style subject of a sentence.
QString subject(const AttachmentRef &file)
{
    QString text = QStringLiteral("The %1 \"%2\"").arg(kindWord(file), file.name);
    if (file.type == AttachmentRef::Picture)
        text += QStringLiteral(" (%1)").arg(file.label);
    return text;
}

void pictureContent(StepCheck &c, const AttachmentRef &file)
{
    if (!c.options().pictures)
        return;
    const PictureInfo info = c.options().pictures(file.path);
    if (!info.decoded) {
        c.error(file.field, subject(file) + QStringLiteral(" cannot be read as a JPEG or PNG "
                                                           "picture."));
        return;
    }
    if (info.width != file.width || info.height != file.height)
        c.error(file.field, subject(file) + QStringLiteral(" is %1 x %2 pixels, but the step "
                                                           "stores %3 x %4.")
                                                .arg(info.width)
                                                .arg(info.height)
                                                .arg(file.width)
                                                .arg(file.height));
}

void embeddedFile(StepCheck &c, const AttachmentRef &file)
{
    // A read-only command holds the copy in memory; the editor's lies on disk.
    const qint64 size = workingCopySize(file.path);
    if (size < 0) {
        c.error(file.field, subject(file) + QStringLiteral(" is missing; the wizard would carry no "
                                                           "data for it."));
        return;
    }
    if (size == 0) {
        c.error(file.field, subject(file) + QStringLiteral(" is empty."));
        return;
    }
    if (quint64(size) != file.size) {
        c.error(
            file.field,
            subject(file) +
                QStringLiteral(" has %1 bytes, but the step says %2.").arg(size).arg(file.size));
        return;
    }
    if (file.isPicture())
        pictureContent(c, file);
}

} // namespace

QString attachmentSubject(const AttachmentRef &file)
{
    return subject(file);
}

void checkAttachments(StepCheck &c, const TaskStep &step)
{
    for (const AttachmentRef &file : stepAttachments(step)) {
        if (file.embedded)
            embeddedFile(c, file);
        else if (file.isPicture() && !file.name.isEmpty())
            // The editor keeps the name of a picture it could not decode.
            c.warning(file.field, subject(file) + QStringLiteral(" is named but carries no "
                                                                 "picture; the operator sees "
                                                                 "none."));
    }
}

} // namespace stepvane
