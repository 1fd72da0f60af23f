// Reader of the instrument's binary setup files (.sta): loads the fixed-size
// setup image and turns the few fields a load step shows into a short summary.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

// The fields of the setup image that the summary uses.
struct SetupImageFields {
    qint64 startFrequencyHz = 0;
    qint64 stopFrequencyHz = 0;
    float distanceStart = 0;
    float distanceStop = 0;
    float velocityFactor = 0;
    QString cableName;
    qint32 traceCode[4] = {0, 0, 0, 0};
    qint32 layoutCode = 0;
};

class VX_CAA_SETUP_PARSER {
public:
    // Size of the setup image the instrument writes.
    static constexpr qsizetype kImageSize = 0x45F08; // 286472 bytes

    // Byte offsets of the interpreted fields (little-endian).
    static constexpr qsizetype kStartFrequency = 0x30;
    static constexpr qsizetype kStopFrequency = 0x38;
    static constexpr qsizetype kDistanceStart = 0x50;
    static constexpr qsizetype kDistanceStop = 0x54;
    static constexpr qsizetype kVelocityFactor = 0x158;
    static constexpr qsizetype kCableName = 0x168;
    static constexpr qsizetype kTraceCode1 = 0x1BC; // four consecutive codes
    static constexpr qsizetype kLayoutCode = 0x1CC;

    // Reads up to kImageSize bytes of the file; bytes past its end read as
    // zero. 1 loaded; 0 when the file is missing, not a regular file, empty
    // or unreadable (the previous image is dropped either way).
    int Load(const QString &path);
    // The same from bytes already in memory; false for an empty buffer.
    bool loadFromBytes(const QByteArray &bytes);

    // The summary of the last loaded image, with fileName shown as its name:
    // four lines, or seven when a shown trace is a distance-to-fault trace.
    QString Summary(const QString &fileName) const;

    bool isLoaded() const { return !m_image.isEmpty(); }
    void clear() { m_image.clear(); }
    // The interpreted fields; all zero and empty when nothing is loaded.
    SetupImageFields fields() const;
    // Names of the traces the layout shows, joined by "," (empty for a
    // layout outside 0..4).
    QString modeText() const;

private:
    // Empty, or the file's first bytes up to kImageSize; what a short file
    // lacks reads as zero.
    QByteArray m_image;
};

} // namespace stepvane
