// Picture decoding with Qt's image readers.
#include "print/PictureProbe.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

namespace stepvane {

namespace {

// Qt's JPEG reader fills in a picture whose data was cut short instead of
// failing, so a JPEG must also end with its end-of-image marker (some
// writers pad a little after it).
bool jpegHasEnd(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 tail = qMin<qint64>(file.size(), 4096);
    if (!file.seek(file.size() - tail))
        return false;
    return file.read(tail).contains("\xFF\xD9");
}

} // namespace

PictureInfo decodePicture(const QString &path)
{
    PictureInfo info;
    if (!QFileInfo(path).isFile())
        return info;
    QImageReader reader(path);
    // Only the two formats the instrument shows, whatever else Qt could read.
    const QByteArray format = reader.format();
    if (format != "jpeg" && format != "png")
        return info;
    const QImage image = reader.read();
    if (image.isNull() || (format == "jpeg" && !jpegHasEnd(path)))
        return info;
    info.decoded = true;
    info.width = image.width();
    info.height = image.height();
    return info;
}

} // namespace stepvane
