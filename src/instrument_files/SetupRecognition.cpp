// Setup recognition: the fields the setup reader interprets must hold values
// an instrument writes.
#include "instrument_files/SetupRecognition.h"

#include "common/NumberText.h"
#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "document/VXXML_PARSER.h"
#include "document/WorkingCopyDigests.h"
#include "instrument_files/FileClassification.h"
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <QFileInfo>

#include <cmath>

namespace stepvane {

namespace {

using Reader = VX_CAA_SETUP_PARSER;

// The highest frequency any model sweeps, in Hz.
qint64 highestFrequencyHz()
{
    double upper = 0;
    for (int model = 0; model < kModelCount; ++model)
        upper = std::max(upper, modelFacts(model).frequency.upper);
    return qint64(upper * 1000000.0);
}

// Traces a layout shows: single, two duals, triple, quad, then the same again.
int shownTraces(int layout)
{
    static constexpr int kShown[] = {1, 2, 2, 3, 4};
    return kShown[layout % 5];
}

QString mhz(qint64 hz)
{
    return formatDecimal(double(hz) / 1000000.0, 2) + QStringLiteral(" MHz");
}

} // namespace

QString setupImageProblem(const VX_CAA_SETUP_PARSER &reader, qint64 fileBytes)
{
    if (!reader.isLoaded())
        return QStringLiteral("it cannot be read");
    // A file that ends before the fields the summary shows cannot be a setup.
    constexpr qint64 kFieldsEnd = Reader::kLayoutCode + 4;
    if (fileBytes < kFieldsEnd)
        return QStringLiteral("it has %1 bytes, too few to hold the setup fields (%2)")
            .arg(fileBytes)
            .arg(kFieldsEnd);
    const SetupImageFields f = reader.fields();
    if (f.startFrequencyHz < 0 || f.stopFrequencyHz < f.startFrequencyHz ||
        f.stopFrequencyHz > highestFrequencyHz())
        return QStringLiteral("its frequency band (%1 - %2) is not one an instrument sweeps")
            .arg(mhz(f.startFrequencyHz), mhz(f.stopFrequencyHz));
    // The name has its own field; one that runs on into the trace codes has no end.
    if (f.cableName.size() >= Reader::kTraceCode1 - Reader::kCableName)
        return QStringLiteral("its cable name does not end inside its field");
    if (f.layoutCode < 0 || f.layoutCode >= LayoutNameTable().size())
        return QStringLiteral("its screen layout code %1 is unknown").arg(f.layoutCode);
    for (int i = 0; i < shownTraces(f.layoutCode); ++i)
        if (f.traceCode[i] < 0 || f.traceCode[i] >= MeasurementNameTable().size())
            return QStringLiteral("the measurement code %1 of trace %2 is unknown")
                .arg(f.traceCode[i])
                .arg(i + 1);
    if (!std::isfinite(f.velocityFactor) || f.velocityFactor < 0 || f.velocityFactor > 1)
        return QStringLiteral("its cable velocity factor is not between 0 and 1");
    if (!std::isfinite(f.distanceStart) || !std::isfinite(f.distanceStop))
        return QStringLiteral("its distances are not numbers");
    return QString();
}

QString setupFileProblem(const QString &path)
{
    VXXML_PARSER xml;
    VX_CAA_SETUP_PARSER setup;
    // A read-only command holds the working copy in memory, not on disk.
    const std::optional<QByteArray> held = heldWorkingCopy(path);
    const int format =
        held ? classifySetupBytes(*held, xml, setup) : classifySetupFile(path, xml, setup);
    switch (format) {
    case SetupFormatXml:
        // The same element the setup summary reads its values under.
        if (xml.Go_Root() && (xml.Root_Name() == QLatin1String("QRTSetup") ||
                              xml.Find_Child(QStringLiteral("QRTSetup"))))
            return QString();
        return QStringLiteral("it is XML without a QRTSetup element");
    case SetupFormatInstrument:
        return setupImageProblem(setup, held ? held->size() : QFileInfo(path).size());
    default:
        return QStringLiteral("it is missing, empty or unreadable");
    }
}

} // namespace stepvane
