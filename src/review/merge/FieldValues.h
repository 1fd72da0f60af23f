// One stored field of a record as the merge compares it and the text
// rendering prints it: attached files by their bytes (a SHA-256 of the
// working copy), never by the working copy's path, and reals through the one
// number formatter.
#pragma once

#include "document/WizardDocument.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace stepvane {

// SHA-256 of working copies, each file read once however often it is asked.
class FileDigests {
public:
    QByteArray of(const QString &path);
    // Hex digest, or "unreadable" when the file cannot be read.
    QString hexOf(const QString &path);

private:
    QHash<QString, QByteArray> m_cache;
};

QString fieldText(int value);
QString fieldText(quint32 value);
QString fieldText(double value);
QString fieldText(const QString &value);
QString fieldText(const MarkerSetting &marker);
QString fieldText(const AttachedImage &image, FileDigests &digests);
// A working-copy path field: the file's name and digest.
QString filePathText(const QString &path, FileDigests &digests);

bool sameField(const AttachedImage &a, const AttachedImage &b, FileDigests &digests);
bool samePathField(const QString &a, const QString &b, FileDigests &digests);

// The element name of picture slot i ("ImageNum_3") and of marker i ("Num4").
QString pictureSlotName(size_t index);
QString markerName(size_t index);

} // namespace stepvane
