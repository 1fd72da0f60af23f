// Setup-file classification.
#include "instrument_files/FileClassification.h"

#include "document/VXXML_PARSER.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <QFileInfo>

#include <algorithm>

namespace stepvane {

int classifySetupFile(const QString &path, VXXML_PARSER &xml, VX_CAA_SETUP_PARSER &setup)
{
    xml.Reset_Document();
    // Neither reader can make anything of an empty file or of something that
    // is not a regular file (a folder, a fifo that would block the read).
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() <= 0) {
        setup.clear(); // as a failed load of the binary reader would
        return SetupFormatUnknown;
    }
    if (xml.Load_Document(path))
        return SetupFormatXml;
    xml.Reset_Document();
    return setup.Load(path) ? SetupFormatInstrument : SetupFormatUnknown;
}

int classifySetupBytes(const QByteArray &bytes, VXXML_PARSER &xml, VX_CAA_SETUP_PARSER &setup)
{
    xml.Reset_Document();
    if (bytes.isEmpty()) {
        setup.clear();
        return SetupFormatUnknown;
    }
    if (xml.Load_Document_From_Memory(bytes))
        return SetupFormatXml;
    xml.Reset_Document();
    return setup.loadFromBytes(bytes) ? SetupFormatInstrument : SetupFormatUnknown;
}

int classifySetupFile(const QString &path)
{
    VXXML_PARSER xml;
    VX_CAA_SETUP_PARSER setup;
    return classifySetupFile(path, xml, setup);
}

QString fileNameWithoutFolders(const QString &path)
{
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

} // namespace stepvane
