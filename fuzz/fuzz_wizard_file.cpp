// Fuzzes the wizard reader: any bytes as a wzd file, then as a tuf file.
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

using namespace stepvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path =
        QDir::temp().filePath(QStringLiteral("fuzz-wizard-%1.wzd").arg(getpid()));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    for (int model = 0; model < 2; ++model) {
        WizardDocument doc;
        VX_CAAXML_PARSER parser(&doc, model);
        parser.Read_Wizard_File(path);
        parser.Read_Testing_Unit_File(path);
        parser.Read_File_Model(path);
    }
    WorkingCopies::instance().cleanup();
    return 0;
}
