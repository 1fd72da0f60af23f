// Picture decoding with Qt's image readers.
#include "print/PictureProbe.h"

#include "document/WorkingCopyDigests.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

namespace stepvane {

namespace {

// Qt's JPEG reader fills in a picture whose data was cut short instead of
// failing, so a JPEG must also end with its end-of-image marker (some
// writers pad a little after it).
bool jpegHasEnd(const QByteArray &bytes)
{
    return bytes.right(4096).contains("\xFF\xD9");
}

// Whether the bytes begin as Qt's JPEG or PNG reader wants them to; only
// then is it worth asking every image reader Qt has.
bool mayBeJpegOrPng(const QByteArray &bytes)
{
    return bytes.startsWith("\xFF\xD8") || bytes.startsWith("\x89PNG\r\n\x1A\n");
}

} // namespace

PictureInfo decodePicture(const QString &path)
{
    PictureInfo info;
    // The working copy's bytes, held in memory by a read-only command or
    // read from the file; the format is told by the content either way.
    std::optional<QByteArray> bytes = workingCopyBytes(path);
    if (!bytes || !mayBeJpegOrPng(*bytes))
        return info;
    QBuffer buffer(&*bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return info;
    QImageReader reader(&buffer);
    // Only the two formats the instrument shows, whatever else Qt could read.
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png")
        return info;
    const QImage image = reader.read();
    if (image.isNull() || (format == "jpeg" && !jpegHasEnd(*bytes)))
        return info;
    info.decoded = true;
    info.width = image.width();
    info.height = image.height();
    return info;
}

} // namespace stepvane
