// Fuzzes the wizard reader: any bytes as a wzd file read for the model the
// file names, then as a tuf file, then as an XML setup file summarised and
// stripped of its calibration. Each read loads the file once; the shape
// check and the reader's refusals keep hostile inputs cheap.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace stepvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A scratch file of the fuzzer's own (the reader takes paths), in memory
    // where the machine has a memory file system: on a disk, rewriting one
    // file makes the file system flush it at every close.
    static const QString path =
        QDir(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                : QDir::tempPath())
            .filePath(QStringLiteral("fuzz-wizard-%1.wzd").arg(getpid()));
    {
        QFile::remove(path);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            return 0;
    }
    WizardDocument doc;
    VX_CAAXML_PARSER parser(&doc, 0);
    const int model = parser.Read_File_Model(path);
    parser.Set_Model(model >= 0 && model < kModelCount ? model : 0);
    if (parser.Read_Wizard_File(path) == 1 && doc.sequenceCount() > kMaxSequences)
        std::abort();
    doc.clear();
    if (parser.Read_Testing_Unit_File(path) == 1 && doc.sequenceCount() != 1)
        std::abort();
    for (int s = 0; s < doc.sequenceCount(); ++s)
        if (doc.sequence(s)->stepCount() > kMaxSteps)
            std::abort();

    VX_CAAXML_PARSER setup(nullptr, 0);
    if (setup.Load_Document(path)) {
        setup.Make_Setup_Info(QStringLiteral("fuzz.xml"));
        setup.Strip_Calibration();
    }
    WorkingCopies::instance().cleanup();
    return 0;
}
