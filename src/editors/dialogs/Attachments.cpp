// Attaching pictures, mask files and setup files as working copies.
#include "editors/dialogs/Attachments.h"

#include "common/MessageSink.h"
#include "document/WorkingCopies.h"
#include "widgets/UserInterface.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace stepvane {

namespace {

const QString kCopyFailed = QStringLiteral("The file %s could not be attached: %s.");
const QString kNoPicture =
    QStringLiteral("The file %s is not a picture that can be attached.\nOnly JPEG and PNG "
                   "pictures are shown by the instrument.");

} // namespace

// The descriptions after the first start with five tabs and a blank, as the
// dialog has always shown them.
const QString kPictureFilter =
    QStringLiteral("Image All support Files(*.jpg,*.jpeg,*.png)|*.jpg;*.jpeg;*.png|"
                   "\t\t\t\t\t JPEG(*.jpg, *.jpeg)|*.jpg;*.jpeg|\t\t\t\t\t PNG(*.png)|*.png|");

QString pictureWorkingName(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot < 0 ? fileName + u'.' : fileName.left(dot + 1)) + QStringLiteral("png");
}

void reportAttachFailure(MessageSink &sink, const QString &fileName, const QString &why)
{
    sink.report(Message::fromText(kCopyFailed, {fileName, why}));
}

QString attachCopy(MessageSink &sink, const QString &sourcePath, const QString &workingName)
{
    QString why;
    const QString copy = WorkingCopies::instance().copyIn(sourcePath, workingName, true, &why);
    if (copy.isEmpty())
        reportAttachFailure(sink, QFileInfo(sourcePath).fileName(), why);
    return copy;
}

std::optional<AttachedImage> attachPicture(MessageSink &sink, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    // Decoded as a whole, not only its header: a cut-off file is refused too.
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    QImage picture;
    if (QFileInfo(path).isFile() && (format == "jpeg" || format == "png"))
        picture = reader.read();
    if (picture.isNull()) {
        sink.report(Message::fromText(kNoPicture, {name}));
        return std::nullopt;
    }
    const QString copy = attachCopy(sink, path, pictureWorkingName(name));
    if (copy.isEmpty())
        return std::nullopt;
    AttachedImage image;
    image.ImageName = name;
    image.TransImageName = copy;
    image.Image_filesize = Size(QFileInfo(copy).size());
    image.ImageWidth = picture.width();
    image.ImageHeight = picture.height();
    return image;
}

std::optional<AttachedImage> choosePicture(UserInterface &ui, QWidget *parent,
                                           const QString &defaultSuffix)
{
    const QString path =
        ui.openFile(parent, QStringLiteral("Attach file"), kPictureFilter, defaultSuffix);
    if (path.isEmpty())
        return std::nullopt;
    return attachPicture(ui, path);
}

} // namespace stepvane
