// Binary setup-file reading and its summary text.
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include "common/NumberText.h"
#include "document/NameTables.h"
#include "instrument_files/CodePage.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace stepvane {

namespace {

// A field the file ends inside keeps the bytes present; only the missing
// ones read as zero, as if the image had been filled up with zeros.
template <typename T> T readLittle(const QByteArray &image, qsizetype offset)
{
    static_assert(std::is_trivially_copyable_v<T>);
    unsigned char bytes[sizeof(T)] = {};
    const qsizetype present = std::clamp<qsizetype>(image.size() - offset, 0, sizeof(T));
    if (present > 0)
        std::memcpy(bytes, image.constData() + offset, size_t(present));
    return qFromLittleEndian<T>(bytes);
}

float readFloat(const QByteArray &image, qsizetype offset)
{
    const quint32 bits = readLittle<quint32>(image, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

int VX_CAA_SETUP_PARSER::Load(const QString &path)
{
    m_image.clear();
    const QFileInfo info(path);
    // Only regular files: a fifo or device would block or never end, and a
    // zero-byte file cannot hold a setup.
    if (path.isEmpty() || !info.isFile() || info.size() <= 0)
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QByteArray bytes;
    bytes.reserve(kImageSize);
    while (bytes.size() < kImageSize) {
        const QByteArray chunk = file.read(kImageSize - bytes.size());
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError)
        return 0;
    return loadFromBytes(bytes) ? 1 : 0;
}

bool VX_CAA_SETUP_PARSER::loadFromBytes(const QByteArray &bytes)
{
    m_image.clear();
    if (bytes.isEmpty())
        return false;
    // A long file is cut; what a short one lacks reads as zero (the field
    // readers stop at the end), so no image-sized buffer is made for it.
    m_image = bytes.left(kImageSize);
    return true;
}

SetupImageFields VX_CAA_SETUP_PARSER::fields() const
{
    SetupImageFields f;
    if (m_image.isEmpty())
        return f;
    f.startFrequencyHz = readLittle<qint64>(m_image, kStartFrequency);
    f.stopFrequencyHz = readLittle<qint64>(m_image, kStopFrequency);
    f.distanceStart = readFloat(m_image, kDistanceStart);
    f.distanceStop = readFloat(m_image, kDistanceStop);
    f.velocityFactor = readFloat(m_image, kVelocityFactor);
    for (int i = 0; i < 4; ++i)
        f.traceCode[i] = readLittle<qint32>(m_image, kTraceCode1 + 4 * i);
    f.layoutCode = readLittle<qint32>(m_image, kLayoutCode);

    // The name runs to its NUL, or to the end of the bytes when it has none.
    if (m_image.size() <= kCableName)
        return f;
    const char *begin = m_image.constData() + kCableName;
    const qsizetype room = m_image.size() - kCableName;
    const void *nul = std::memchr(begin, '\0', size_t(room));
    const qsizetype length = nul ? static_cast<const char *>(nul) - begin : room;
    f.cableName = fromCp1252(begin, length);
    return f;
}

QString VX_CAA_SETUP_PARSER::modeText() const
{
    const SetupImageFields f = fields();
    int shown = 0;
    switch (f.layoutCode) {
    case 0:
        shown = 1;
        break;
    case 1:
    case 2:
        shown = 2;
        break;
    case 3:
        shown = 3;
        break;
    case 4:
        shown = 4;
        break;
    default:
        return QString();
    }
    QStringList names;
    for (int i = 0; i < shown; ++i)
        names << tableEntry(MeasurementNameTable(), f.traceCode[i]);
    return names.join(u',');
}

QString VX_CAA_SETUP_PARSER::Summary(const QString &fileName) const
{
    const SetupImageFields f = fields();
    const QString mode = modeText();
    const QString layout = tableEntry(LayoutNameTable(), f.layoutCode);
    const double startMHz = double(f.startFrequencyHz) / 1000000.0;
    const double stopMHz = double(f.stopFrequencyHz) / 1000000.0;

    QString text = QStringLiteral(" 1. File Name: ") + fileName + QStringLiteral("\n 2. Layout: ") +
                   layout + QStringLiteral("\n 3. Mode: ") + mode + u'\n' +
                   QStringLiteral(" 4. Frequency Band: %1 MHz - %2 MHz\n")
                       .arg(formatDecimal(startMHz, 2), formatDecimal(stopMHz, 2));
    if (!mode.contains(QLatin1String("DTF")))
        return text;
    text += QStringLiteral(" 5. Distance: %1 - %2\n")
                .arg(formatDecimal(double(f.distanceStart), 2),
                     formatDecimal(double(f.distanceStop), 2));
    text += QStringLiteral(" 6. Cable Name: ") + f.cableName + u'\n';
    text += QStringLiteral(" 7. Velocity Factory: %1\n")
                .arg(formatDecimal(double(f.velocityFactor), 4));
    return text;
}

} // namespace stepvane
