// Builds instrument setup images for the tests from the field offsets of the
// format, written out here independently of the reader's own constants.
#pragma once

#include <QByteArray>
#include <QFile>

#include <cstring>

namespace stepvane::test {

struct SetupImage {
    explicit SetupImage(int size = 286472, char fill = '\0') : bytes(size, fill) {}

    SetupImage &startStopHz(qint64 start, qint64 stop)
    {
        return le(0x30, quint64(start), 8).le(0x38, quint64(stop), 8);
    }
    SetupImage &distance(float start, float stop) { return f32(0x50, start).f32(0x54, stop); }
    SetupImage &velocity(float vf) { return f32(0x158, vf); }
    SetupImage &cableName(const QByteArray &name) { return raw(0x168, name + '\0'); }
    SetupImage &traces(qint32 t1, qint32 t2 = 0, qint32 t3 = 0, qint32 t4 = 0)
    {
        return le(0x1BC, quint32(t1), 4)
            .le(0x1C0, quint32(t2), 4)
            .le(0x1C4, quint32(t3), 4)
            .le(0x1C8, quint32(t4), 4);
    }
    SetupImage &layout(qint32 code) { return le(0x1CC, quint32(code), 4); }

    SetupImage &raw(int offset, const QByteArray &b)
    {
        for (int i = 0; i < b.size() && offset + i < bytes.size(); ++i)
            bytes[offset + i] = b[i];
        return *this;
    }
    // Little-endian byte by byte, whatever the host order.
    SetupImage &le(int offset, quint64 v, int width)
    {
        for (int i = 0; i < width && offset + i < bytes.size(); ++i)
            bytes[offset + i] = char((v >> (8 * i)) & 0xFF);
        return *this;
    }
    SetupImage &f32(int offset, float f)
    {
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        return le(offset, bits, 4);
    }

    QByteArray bytes;
};

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace stepvane::test
