// The attachment list of a step and file digests.
#include "document/Attachments.h"

#include "document/WorkingCopyDigests.h"

#include <QFile>
#include <QFileInfo>

#include <openssl/evp.h>

#include <type_traits>

namespace stepvane {

namespace {

// The part of a path after its last "/" or "\".
QString lastComponent(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

AttachmentRef picture(const AttachedImage &image, AttachmentRef::Type type, const QString &field,
                      const QString &label)
{
    AttachmentRef ref;
    ref.type = type;
    ref.field = field;
    ref.label = label;
    ref.name = image.ImageName;
    ref.path = image.TransImageName;
    ref.size = image.Image_filesize;
    ref.width = image.ImageWidth;
    ref.height = image.ImageHeight;
    ref.embedded = image.Image_filesize > 0;
    return ref;
}

bool namesOrStatesFile(const AttachedImage &image)
{
    return image.Image_filesize > 0 || !image.ImageName.isEmpty();
}

// Condition pictures of Marker/Peak and Limit steps, numbered from 1 as the
// summary numbers them.
void conditionPictures(const std::vector<AttachedImage> &images, std::vector<AttachmentRef> &out)
{
    for (size_t i = 0; i < images.size(); ++i)
        if (namesOrStatesFile(images[i]))
            out.push_back(picture(images[i], AttachmentRef::Picture,
                                  QStringLiteral("ImageNum_%1").arg(i),
                                  QStringLiteral("%1. Image file name").arg(i + 1)));
}

template <typename R> void logo(const R &r, std::vector<AttachmentRef> &out)
{
    if (namesOrStatesFile(r.logo))
        out.push_back(picture(r.logo, AttachmentRef::Logo, QStringLiteral("Logo"),
                              QStringLiteral("Logo File")));
}

} // namespace

std::vector<AttachmentRef> stepAttachments(const TaskStep &step)
{
    std::vector<AttachmentRef> out;
    std::visit(
        [&](const auto &r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, PromptTask>) {
                for (size_t i = 0; i < r.images.size(); ++i)
                    if (namesOrStatesFile(r.images[i]))
                        out.push_back(picture(r.images[i], AttachmentRef::Picture,
                                              QStringLiteral("ImageNum_%1").arg(i),
                                              QStringLiteral("%1. Image file").arg(i + 1)));
            } else if constexpr (std::is_same_v<R, SaveTask> || std::is_same_v<R, ReportTask>) {
                logo(r, out);
            } else if constexpr (std::is_same_v<R, MarkerPeakTask>) {
                conditionPictures(r.images, out);
            } else if constexpr (std::is_same_v<R, LimitTask>) {
                if (r.MSLfileSize > 0 || !r.MSLfileName.isEmpty()) {
                    AttachmentRef ref;
                    ref.type = AttachmentRef::MaskFile;
                    ref.field = QStringLiteral("MSL");
                    ref.label = QStringLiteral("MSL file name");
                    ref.name = r.MSLfileName;
                    ref.path = r.TransMSLfileName;
                    ref.size = r.MSLfileSize;
                    // The writer stores the mask only in MSL mode.
                    ref.embedded = r.SelectMode == 0 && r.MSLfileSize > 0;
                    out.push_back(ref);
                }
                conditionPictures(r.images, out);
            } else if constexpr (std::is_same_v<R, LoadTask>) {
                if (r.SetupfileSize > 0 || !r.SetupfileName.isEmpty()) {
                    AttachmentRef ref;
                    ref.type = AttachmentRef::SetupFile;
                    ref.field = QStringLiteral("Setup");
                    ref.label = QStringLiteral("Setup File Name");
                    ref.name = lastComponent(r.SetupfileName);
                    ref.path = r.SetupfileName;
                    ref.size = r.SetupfileSize;
                    // Only the two modes that load a file carry one.
                    ref.embedded = (r.Mode == 2 || r.Mode == 3) && r.SetupfileSize > 0;
                    out.push_back(ref);
                }
            }
        },
        step.record);
    return out;
}

QByteArray fileDigest(const QString &path)
{
    // A working copy the reader wrote was hashed as it was written.
    return workingCopyDigest(path);
}

} // namespace stepvane
