// The files a task step carries (prompt pictures, logos, condition pictures,
// mask files and setup files), listed in one place for the wizard check and
// the review diff, with the summary's word for each and whether the writer
// embeds it.
#pragma once

#include "document/WizardDocument.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace stepvane {

struct AttachmentRef {
    enum Type { Picture, Logo, MaskFile, SetupFile };
    Type type = Picture;
    QString field;    // the record field that holds it ("ImageNum_3", "Logo", "MSL", "Setup")
    QString label;    // the testing summary's words: "4. Image file", "Logo File", ...
    QString name;     // the name the user chose (a setup file: the last part of its path)
    QString path;     // the working copy the writer reads
    quint64 size = 0; // the size the record states
    int width = 0;    // pictures: the stored width and height
    int height = 0;
    bool embedded = false; // whether the writer stores its data in the file

    bool isPicture() const { return type == Picture || type == Logo; }
};

// Every attachment slot of the step that names a file or states a size, in
// file order. Prompt slots without a name and a size are left out.
std::vector<AttachmentRef> stepAttachments(const TaskStep &step);

// What a picture decoder says about a file.
struct PictureInfo {
    bool decoded = false;
    int width = 0;
    int height = 0;
};
// Decodes a picture file. The core has no picture decoder of its own; the
// programs pass one (src/print/PictureProbe.h).
using PictureProbe = std::function<PictureInfo(const QString &path)>;

// A digest of a file's bytes, empty when the file cannot be read.
QByteArray fileDigest(const QString &path);

} // namespace stepvane
