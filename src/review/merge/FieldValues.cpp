// Texts and comparisons of stored fields.
#include "review/merge/FieldValues.h"

#include "common/NumberText.h"
#include "document/Attachments.h"

namespace stepvane {

namespace {

QString pathLastPart(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

// Texts stay on one line whatever they hold.
QString oneLine(const QString &text)
{
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(u'\n', QStringLiteral("\\n"));
    out.replace(u'\r', QStringLiteral("\\r"));
    return out;
}

} // namespace

QByteArray FileDigests::of(const QString &path)
{
    if (path.isEmpty())
        return QByteArray();
    auto it = m_cache.constFind(path);
    if (it != m_cache.constEnd())
        return *it;
    const QByteArray digest = fileDigest(path);
    m_cache.insert(path, digest);
    return digest;
}

QString FileDigests::hexOf(const QString &path)
{
    const QByteArray digest = of(path);
    return digest.isEmpty() ? QStringLiteral("unreadable") : QString::fromLatin1(digest.toHex());
}

QString fieldText(int value)
{
    return QString::number(value);
}

QString fieldText(quint32 value)
{
    return QString::number(value);
}

QString fieldText(double value)
{
    // Enough decimals for any value the pages accept, without trailing zeros.
    QString text = formatDecimal(value, 6);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

QString fieldText(const QString &value)
{
    return QStringLiteral("\"%1\"").arg(oneLine(value));
}

QString fieldText(const MarkerSetting &m)
{
    return QStringLiteral("Name %1, Type %2, Search_mode %3, X_Value %4")
        .arg(m.Name)
        .arg(m.Type)
        .arg(m.Search_mode)
        .arg(fieldText(m.X_Value));
}

QString fieldText(const AttachedImage &image, FileDigests &digests)
{
    QString text;
    if (image.Image_filesize == 0)
        text = QStringLiteral("none");
    else
        text = QStringLiteral("%1, %2 bytes, %3x%4, SHA-256 %5")
                   .arg(fieldText(image.ImageName))
                   .arg(image.Image_filesize)
                   .arg(image.ImageWidth)
                   .arg(image.ImageHeight)
                   .arg(digests.hexOf(image.TransImageName));
    if (!image.Comment.isEmpty())
        text += QStringLiteral(", comment %1").arg(fieldText(image.Comment));
    return text;
}

QString filePathText(const QString &path, FileDigests &digests)
{
    if (path.isEmpty())
        return QStringLiteral("none");
    return QStringLiteral("%1, SHA-256 %2").arg(fieldText(pathLastPart(path)), digests.hexOf(path));
}

bool sameField(const AttachedImage &a, const AttachedImage &b, FileDigests &digests)
{
    if (a.Comment != b.Comment || a.ImageName != b.ImageName ||
        a.Image_filesize != b.Image_filesize || a.ImageWidth != b.ImageWidth ||
        a.ImageHeight != b.ImageHeight)
        return false;
    return a.Image_filesize == 0 || digests.of(a.TransImageName) == digests.of(b.TransImageName);
}

bool samePathField(const QString &a, const QString &b, FileDigests &digests)
{
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty();
    return pathLastPart(a) == pathLastPart(b) && digests.of(a) == digests.of(b);
}

QString pictureSlotName(size_t index)
{
    return QStringLiteral("ImageNum_%1").arg(index);
}

QString markerName(size_t index)
{
    return QStringLiteral("Num%1").arg(index + 1);
}

} // namespace stepvane
