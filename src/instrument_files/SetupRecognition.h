// Telling an instrument setup from any other file a load step could carry.
// The classification takes every well-formed XML file and every readable
// binary file; an instrument given anything else would load garbage, so the
// check and the load page also ask whether the content reads as a setup.
#pragma once

#include <QString>

namespace stepvane {

class VX_CAA_SETUP_PARSER;

// Why the file is not an instrument setup ("its frequency band ... is not
// one an instrument sweeps"), or an empty text when it reads as one.
QString setupFileProblem(const QString &path);
// The same for a loaded binary setup image whose file held fileBytes bytes.
QString setupImageProblem(const VX_CAA_SETUP_PARSER &reader, qint64 fileBytes);

} // namespace stepvane
