// Telling which reader handles a setup file a load step attaches: an XML
// setup file or the instrument's own binary setup format.
#pragma once

#include <QByteArray>
#include <QString>

namespace stepvane {

class VXXML_PARSER;
class VX_CAA_SETUP_PARSER;

enum SetupFormat : int {
    SetupFormatUnknown = 0,    // missing, empty, unreadable or not a regular file
    SetupFormatInstrument = 1, // the instrument's binary setup image (.sta)
    SetupFormatXml = 2,        // any well-formed XML file
};

// XML is tried first and the binary reader only when that fails. On return
// the parser that recognised the file holds it, so the caller can make the
// summary (Make_Setup_Info or Summary) without reading the file again.
int classifySetupFile(const QString &path, VXXML_PARSER &xml, VX_CAA_SETUP_PARSER &setup);
// The same for a file's bytes already in memory.
int classifySetupBytes(const QByteArray &bytes, VXXML_PARSER &xml, VX_CAA_SETUP_PARSER &setup);
// The same with throw-away readers, for callers that only want the format.
int classifySetupFile(const QString &path);

// The part of a path after its last '/' or '\', the name a summary shows.
QString fileNameWithoutFolders(const QString &path);

} // namespace stepvane
