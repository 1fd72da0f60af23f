// Classifying, summarising and copying setup files for load steps.
#include "editors/pages/SetupFileAttachment.h"

#include "common/MessageSink.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "editors/dialogs/Attachments.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <QFileInfo>

namespace stepvane {

std::optional<SetupAttachment> attachSetupFile(MessageSink &sink, const QString &path,
                                               bool stripCalibration)
{
    VX_CAAXML_PARSER xml(nullptr, 0);
    VX_CAA_SETUP_PARSER setup;
    SetupAttachment result;
    result.format = classifySetupFile(path, xml, setup);
    if (result.format == SetupFormatUnknown) {
        sink.report(Message::fromId(QStringLiteral("IDS_UNKWON_SETUP_FORMAT")));
        return std::nullopt;
    }
    // Each format is summarised by its own reader, whether the file came from
    // the computer or from the instrument.
    const QString name = fileNameWithoutFolders(path);
    result.info =
        result.format == SetupFormatInstrument ? setup.Summary(name) : xml.Make_Setup_Info(name);
    if (result.format == SetupFormatXml && stripCalibration) {
        // The working copy keeps the file's name: the writer stores the name
        // from this path.
        xml.Strip_Calibration();
        result.workingCopy = WorkingCopies::instance().newPathFor(name);
        if (result.workingCopy.isEmpty() || !xml.Save_Document(result.workingCopy)) {
            reportAttachFailure(sink, name, QStringLiteral("the working copy cannot be written"));
            return std::nullopt;
        }
    } else {
        result.workingCopy = attachCopy(sink, path);
        if (result.workingCopy.isEmpty())
            return std::nullopt;
    }
    result.size = Size(QFileInfo(result.workingCopy).size());
    return result;
}

} // namespace stepvane
