// What the instrument makes of attached files: a mask file must carry the
// extension the limit page asks for, a setup file must read as a setup, and
// a picture far beyond the screen only slows the paced send down.
#include "document/WorkingCopyDigests.h"
#include "instrument_files/SetupRecognition.h"
#include "review/check/InstrumentLimits.h"
#include "review/check/SendEstimate.h"
#include "review/check/StepChecks.h"

#include <QFileInfo>

namespace stepvane {

namespace {

void largePicture(StepCheck &c, const AttachmentRef &file)
{
    const qint64 bytes = qint64(file.size);
    if (file.width <= kShownPictureWidth && file.height <= kShownPictureHeight &&
        bytes <= kShownPictureBytes)
        return;
    c.warning(file.field,
              attachmentSubject(file) +
                  QStringLiteral(" is %1 x %2 pixels and %3, far more than the instrument shows "
                                 "(%4 x %5, %6); it adds %7 to the send.")
                      .arg(file.width)
                      .arg(file.height)
                      .arg(byteSizeText(bytes))
                      .arg(kShownPictureWidth)
                      .arg(kShownPictureHeight)
                      .arg(byteSizeText(kShownPictureBytes),
                           durationText(pacedSendMilliseconds(embeddedBytes(bytes)))));
}

void maskExtension(StepCheck &c, const AttachmentRef &file)
{
    if (QFileInfo(file.name).suffix().compare(kMaskFileExtension, Qt::CaseInsensitive) == 0)
        return;
    c.warning(file.field, attachmentSubject(file) +
                              QStringLiteral(" does not have the extension \"%1\" that the limit "
                                             "page asks for; the instrument may not take it as a "
                                             "mask.")
                                  .arg(kMaskFileExtension));
}

void setupContent(StepCheck &c, const AttachmentRef &file)
{
    const QString problem = setupFileProblem(file.path);
    if (!problem.isEmpty())
        c.warning(file.field,
                  attachmentSubject(file) +
                      QStringLiteral(" does not read as an instrument setup: %1.").arg(problem));
}

} // namespace

void checkAttachmentLimits(StepCheck &c, const TaskStep &step)
{
    for (const AttachmentRef &file : stepAttachments(step)) {
        if (!file.embedded)
            continue;
        if (file.type == AttachmentRef::MaskFile) {
            maskExtension(c, file);
            continue;
        }
        // A file that is missing or not the size the step states is an error
        // of its own; what it holds is judged only when it is the one stated.
        const qint64 size = workingCopySize(file.path);
        if (size < 0 || quint64(size) != file.size)
            continue;
        if (file.isPicture())
            largePicture(c, file);
        else if (file.type == AttachmentRef::SetupFile)
            setupContent(c, file);
    }
}

} // namespace stepvane
