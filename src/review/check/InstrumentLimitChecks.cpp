// The instrument's limits: save and report names, zoom zones without a span
// and marker positions against the sweep the wizard sets before them.
#include "review/check/InstrumentLimits.h"

#include "review/check/StepChecks.h"

#include <algorithm>
#include <array>

namespace stepvane {

namespace {

const QString kForbidden = QStringLiteral("/\\:*?\"<>|");
const QString kRefused = QStringLiteral(", which the instrument's file system does not allow in a "
                                        "name.");

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// ---------------------------------------------------------------- names

QString partProblem(const QString &part, const QString &subject)
{
    if (part.endsWith(u'.'))
        return subject + QStringLiteral(" ends with a dot") + kRefused;
    if (part.endsWith(u' '))
        return subject + QStringLiteral(" ends with a space") + kRefused;
    if (part.size() > kMaxInstrumentNameLength)
        return subject + QStringLiteral(" has %1 characters; the instrument's file system keeps "
                                        "at most %2.")
                             .arg(part.size())
                             .arg(kMaxInstrumentNameLength);
    return QString();
}

void names(StepCheck &c, const QString &file, const QString &folder)
{
    if (const QString p = instrumentNameProblem(file, QStringLiteral("file name"), false);
        !p.isEmpty())
        c.error(QStringLiteral("BaseFileName"), p);
    if (const QString p = instrumentNameProblem(folder, QStringLiteral("folder name"), true);
        !p.isEmpty())
        c.error(QStringLiteral("BaseFolderName"), p);
}

// ---------------------------------------------------------------- the sweep

// What the instrument sweeps at a step, as far as the steps before it say.
struct Sweep {
    std::optional<int> measurement;
    std::optional<double> startFrequency, stopFrequency; // MHz
    std::optional<double> startDistance, stopDistance;
    int distanceUnit = 0;

    void follow(const TaskStep &step)
    {
        if (const auto *mode = step.as<MeasureModeTask>()) {
            measurement = mode->Measurement;
        } else if (const auto *r = step.as<FrequencyDistanceTask>()) {
            // A value the step does not set stays as the instrument had it.
            if (r->Start_Frequency_Check)
                startFrequency = r->Start_Frequency;
            if (r->Stop_Frequency_Check)
                stopFrequency = r->Stop_Frequency;
            if (r->Start_Distance_Check || r->Stop_Distance_Check) {
                if (r->Units != distanceUnit)
                    startDistance.reset(), stopDistance.reset(); // in the other unit
                distanceUnit = r->Units;
            }
            if (r->Start_Distance_Check)
                startDistance = r->Start_Distance;
            if (r->Stop_Distance_Check)
                stopDistance = r->Stop_Distance;
        } else if (step.as<LoadTask>()) {
            *this = Sweep{}; // a loaded setup brings its own
        }
    }
};

QString rangeText(const std::optional<double> &start, const std::optional<double> &stop,
                  const QString &unit)
{
    if (start && stop)
        return QStringLiteral("%1 to %2 %3").arg(numberText(*start), numberText(*stop), unit);
    if (start)
        return QStringLiteral("from %1 %2").arg(numberText(*start), unit);
    return QStringLiteral("up to %1 %2").arg(numberText(*stop), unit);
}

void markerPositions(StepCheck &c, const MarkerPeakTask &r, const Sweep &sweep)
{
    if (!sweep.measurement)
        return; // the X axis is frequency or distance by the mode
    const int mode = *sweep.measurement;
    const bool distance = mode == MeasureDtfVswr || mode == MeasureDtfReturnLoss;
    // Power and fibre modes have no swept axis to place a marker on.
    if (mode == MeasureRfPower || mode == MeasureOpticalPower || mode == MeasureFiberInspection)
        return;
    const std::optional<double> start = distance ? sweep.startDistance : sweep.startFrequency;
    const std::optional<double> stop = distance ? sweep.stopDistance : sweep.stopFrequency;
    if (!start && !stop)
        return;
    const Bounds range{start.value_or(kMarkerXBounds.lower), stop.value_or(kMarkerXBounds.upper)};
    const QString unit =
        distance ? distanceFacts(sweep.distanceUnit).unitLabel : QStringLiteral("MHz");
    for (size_t i = 0; i < r.markers.size(); ++i) {
        const MarkerSetting &m = r.markers[i];
        // A search places the marker itself; an off or unnamed row places none.
        const bool searched = m.Search_mode >= 1 && m.Search_mode <= 5;
        if (m.Name < 1 || m.Name > kMarkerCount || m.Type == 0 || searched ||
            !withinBounds(m.X_Value, kMarkerXBounds) || withinBounds(m.X_Value, range))
            continue;
        c.warning(QStringLiteral("Num%1/X_Value").arg(i + 1),
                  QStringLiteral("Marker %1's X value %2 %3 lies outside the %4 range the wizard "
                                 "sets (%5).")
                      .arg(i + 1)
                      .arg(numberText(m.X_Value), unit,
                           distance ? QStringLiteral("distance") : QStringLiteral("frequency"),
                           rangeText(start, stop, unit)));
    }
}

void zonesWithoutSpan(StepCheck &c, const ZoomZonesTask &r)
{
    const Bounds &frequency = modelFacts(c.model()).frequency;
    const std::array<Flag, 3> on = {r.Zone1_Check, r.Zone2_Check, r.Zone3_Check};
    const std::array<double, 3> start = {r.Zone1_Start_Frequency, r.Zone2_Start_Frequency,
                                         r.Zone3_Start_Frequency};
    const std::array<double, 3> stop = {r.Zone1_Stop_Frequency, r.Zone2_Stop_Frequency,
                                        r.Zone3_Stop_Frequency};
    for (size_t i = 0; i < 3; ++i) {
        // Values outside the model are errors of their own.
        if (!on[i] || !withinBounds(start[i], frequency) || !withinBounds(stop[i], frequency) ||
            float(start[i]) != float(stop[i]))
            continue;
        c.warning(QStringLiteral("Zone%1/Stop_Frequency").arg(i + 1),
                  QStringLiteral("Zone %1 starts and stops at %2 MHz; it shows no span.")
                      .arg(i + 1)
                      .arg(numberText(start[i])));
    }
}

void checkStep(StepCheck &c, const TaskStep &step, const Sweep &sweep)
{
    // In Manual the operator names the files on the instrument.
    if (const auto *r = step.as<SaveTask>(); r && r->SaveMode == 1)
        names(c, r->BaseFileName, r->BaseFolderName);
    else if (const auto *r = step.as<ReportTask>(); r && r->SaveMode == 1)
        names(c, r->BaseFileName, r->BaseFolderName);
    else if (const auto *r = step.as<MarkerPeakTask>())
        markerPositions(c, *r, sweep);
    else if (const auto *r = step.as<ZoomZonesTask>())
        zonesWithoutSpan(c, *r);
    checkAttachmentLimits(c, step);
}

} // namespace

QStringList pathParts(const QString &name)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i == name.size() || name.at(i) == u'/' || name.at(i) == u'\\') {
            parts << name.mid(start, i - start);
            start = i + 1;
        }
    }
    return parts;
}

QString instrumentNameProblem(const QString &name, const QString &what, bool folder)
{
    const QString subject = QStringLiteral("The %1 \"%2\"").arg(what, name);
    for (const QChar ch : name) {
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            // The name itself is not shown: it would carry the character into the text.
            return QStringLiteral("The %1 holds a control character (U+%2)")
                       .arg(what,
                            QString::number(ch.unicode(), 16).toUpper().rightJustified(4, u'0')) +
                   kRefused;
        if (kForbidden.contains(ch) && !(folder && isSeparator(ch)))
            return subject + QStringLiteral(" holds \"%1\"").arg(ch) + kRefused;
    }
    if (!folder)
        return partProblem(name, subject);
    const QStringList parts = pathParts(name);
    for (const QString &part : parts) {
        if (part.isEmpty())
            continue; // a separator at either end or doubled names no folder
        const QString one =
            parts.size() == 1
                ? subject
                : QStringLiteral("The folder \"%1\" in the %2 \"%3\"").arg(part, what, name);
        if (const QString p = partProblem(part, one); !p.isEmpty())
            return p;
    }
    return QString();
}

void checkInstrumentLimits(const WizardDocument &doc, const CheckOptions &options,
                           std::vector<Finding> &out)
{
    // The sweep one sequence sets still holds when the next one starts.
    Sweep sweep;
    for (int s = 0; s < doc.sequenceCount(); ++s) {
        const TestingSequence &sequence = *doc.sequence(s);
        for (int i = 0; i < sequence.stepCount(); ++i) {
            StepCheck check(out, options, s, i);
            checkStep(check, *sequence.step(i), sweep);
            sweep.follow(*sequence.step(i));
        }
    }
}

} // namespace stepvane
