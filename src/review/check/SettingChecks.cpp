// Checks of the measurement-setting steps: codes the instrument knows, values
// inside the model's and the unit's ranges, settings the model has, and
// settings that contradict each other.
#include "document/NameTables.h"
#include "review/check/StepChecks.h"

#include <algorithm>

namespace stepvane {

namespace {

QString measurementName(int code)
{
    return measurementText(code);
}

void measureMode(StepCheck &c, const MeasureModeTask &r)
{
    const QString field = QStringLiteral("Measurement");
    if (!c.knownCode(field, r.Measurement, kMeasurementCount, QStringLiteral("measurement mode")))
        return;
    if (!modelHasMeasurement(c.model(), r.Measurement))
        c.error(field, QStringLiteral("The %1 has no %2 measurement.")
                           .arg(c.modelText(), measurementName(r.Measurement)));
}

void frequencyDistance(StepCheck &c, const FrequencyDistanceTask &r)
{
    const ModelFacts &model = modelFacts(c.model());
    bool startOk = true, stopOk = true;
    if (r.Start_Frequency_Check)
        startOk = c.inRange(QStringLiteral("Start_Frequency"), r.Start_Frequency, model.frequency,
                            QStringLiteral("start frequency"), QStringLiteral(" MHz"),
                            model.frequencyHelp);
    if (r.Stop_Frequency_Check)
        stopOk = c.inRange(QStringLiteral("Stop_Frequency"), r.Stop_Frequency, model.frequency,
                           QStringLiteral("stop frequency"), QStringLiteral(" MHz"),
                           model.frequencyHelp);
    if (r.Start_Frequency_Check && r.Stop_Frequency_Check && startOk && stopOk &&
        r.Start_Frequency > r.Stop_Frequency)
        c.error(QStringLiteral("Start_Frequency"),
                QStringLiteral("The start frequency %1 MHz lies above the stop frequency %2 MHz.")
                    .arg(numberText(r.Start_Frequency), numberText(r.Stop_Frequency)));

    if (!c.knownCode(QStringLiteral("Units"), r.Units, {kDistanceMeter, kDistanceFoot},
                     QStringLiteral("distance unit")))
        return;
    const DistanceFacts &unit = distanceFacts(r.Units);
    const QString unitText = u' ' + unit.unitLabel;
    if (r.Start_Distance_Check)
        startOk = c.inRange(QStringLiteral("Start_Distance"), r.Start_Distance, unit.start,
                            QStringLiteral("start distance"), unitText, unit.startHelp);
    if (r.Stop_Distance_Check)
        stopOk = c.inRange(QStringLiteral("Stop_Distance"), r.Stop_Distance, unit.stop,
                           QStringLiteral("stop distance"), unitText, unit.stopHelp);
    if (r.Start_Distance_Check && r.Stop_Distance_Check && startOk && stopOk &&
        r.Stop_Distance <= r.Start_Distance)
        c.error(QStringLiteral("Stop_Distance"),
                QStringLiteral("The stop distance %1%3 does not lie above the start distance %2%3.")
                    .arg(numberText(r.Stop_Distance), numberText(r.Start_Distance), unitText));
}

void amplitude(StepCheck &c, const AmplitudeTask &r)
{
    const bool topOk =
        c.inRange(QStringLiteral("Top"), r.Top, kAmplitudeBounds, QStringLiteral("top"));
    const bool bottomOk =
        c.inRange(QStringLiteral("Bottom"), r.Bottom, kAmplitudeBounds, QStringLiteral("bottom"));
    if (!topOk || !bottomOk)
        return;
    if (r.Top <= r.Bottom) {
        c.error(QStringLiteral("Top"), QStringLiteral("Top %1 does not lie above Bottom %2.")
                                           .arg(numberText(r.Top), numberText(r.Bottom)));
        return;
    }
    // The scale the instrument takes depends on the mode it measures in; an
    // earlier step of the wizard may say which that is.
    if (!c.measurement)
        return;
    const auto scale = amplitudeScale(c.model(), *c.measurement);
    if (!scale)
        return;
    if (!withinBounds(r.Top, scale->top))
        c.warning(QStringLiteral("Top"),
                  QStringLiteral("Top %1 lies outside the %2 scale the %3 takes for Top (%4).")
                      .arg(numberText(r.Top), scale->mode, c.modelText(), scale->topText));
    if (!withinBounds(r.Bottom, scale->bottom))
        c.warning(
            QStringLiteral("Bottom"),
            QStringLiteral("Bottom %1 lies outside the %2 scale the %3 takes for Bottom (%4).")
                .arg(numberText(r.Bottom), scale->mode, c.modelText(), scale->bottomText));
}

// A whole number 0..5 written as text, as the average field stores it.
bool averageText(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok && withinBounds(value, kAverageBounds);
}

void general(StepCheck &c, const GeneralTask &r)
{
    const bool known = r.OutputPower == kOutputPowerHigh || r.OutputPower == kOutputPowerLow;
    int average = 0;
    const bool averageOk = averageText(r.Average, average);
    if (modelFacts(c.model()).outputPowerAndAverage) {
        if (!known)
            c.error(QStringLiteral("OutputPower"),
                    QStringLiteral("The output power \"%1\" is unknown; the instrument takes %2 or "
                                   "%3 dBm.")
                        .arg(r.OutputPower, kOutputPowerHigh, kOutputPowerLow));
        if (!averageOk)
            c.error(QStringLiteral("Average"),
                    QStringLiteral("The average \"%1\" is not a whole number from %2 to %3.")
                        .arg(r.Average, numberText(kAverageBounds.lower),
                             numberText(kAverageBounds.upper)));
        return;
    }
    // The older models have neither setting; a value other than a new step's
    // is ignored there.
    const GeneralTask fresh;
    if (r.OutputPower != fresh.OutputPower)
        c.warning(QStringLiteral("OutputPower"),
                  QStringLiteral("The %1 has no output power setting; \"%2\" is ignored.")
                      .arg(c.modelText(), r.OutputPower));
    if (r.Average != fresh.Average)
        c.warning(QStringLiteral("Average"),
                  QStringLiteral("The %1 has no averaging setting; \"%2\" is ignored.")
                      .arg(c.modelText(), r.Average));
}

void dataPoint(StepCheck &c, const DataPointTask &r)
{
    const std::vector<int> &counts = dataPointCounts();
    if (std::find(counts.begin(), counts.end(), r.Param) != counts.end())
        return;
    QStringList offered;
    for (int n : counts)
        offered << QString::number(n);
    c.error(QStringLiteral("Param"), QStringLiteral("%1 data points is not a count the instrument "
                                                    "offers (%2).")
                                         .arg(r.Param)
                                         .arg(offered.join(QStringLiteral(", "))));
}

void cable(StepCheck &c, const DtfTask &r)
{
    c.knownCode(QStringLiteral("Units"), r.Units, {kDistanceMeter, kDistanceFoot},
                QStringLiteral("distance unit"));
    if (!c.knownCode(QStringLiteral("Mode"), r.Mode, {1, 2}, QStringLiteral("cable mode")) ||
        r.Mode != 1)
        return; // in Manual the operator sets the cable on the instrument
    c.inRange(QStringLiteral("Propagation_Velocity"), r.Propagation_Velocity,
              kPropagationVelocityBounds, QStringLiteral("propagation velocity"));
    c.inRange(QStringLiteral("Cable_Loss"), r.Cable_Loss, kCableLossBounds,
              QStringLiteral("cable loss"));
}

void rfPair(StepCheck &c, const QString &group, int sensor, int mode, double minimum,
            double maximum)
{
    const QString modeField = group + QStringLiteral("_Mode");
    if (!c.knownCode(modeField, mode, 4, group.toLower() + QStringLiteral(" mode")))
        return;
    if (!rfSensorHasMode(sensor, mode)) {
        c.error(modeField, QStringLiteral("The %1 sensor has no %2 mode.")
                               .arg(rfSensorModels().value(sensor), rfModeName(mode)));
        return;
    }
    const RfScale &scale = rfScale(mode);
    const QString unit = u' ' + scale.unit;
    const QString lower = group.toLower();
    const bool minOk = c.inRange(group + QStringLiteral("_Minimum"), minimum, scale.minimum,
                                 lower + QStringLiteral(" minimum"), unit);
    const bool maxOk = c.inRange(group + QStringLiteral("_Maximum"), maximum, scale.maximum,
                                 lower + QStringLiteral(" maximum"), unit);
    if (minOk && maxOk && maximum <= minimum)
        c.error(group + QStringLiteral("_Maximum"),
                QStringLiteral("The %1 maximum %2 does not lie above its minimum %3.")
                    .arg(lower, numberText(maximum), numberText(minimum)));
}

void rfPower(StepCheck &c, const RfPowerTask &r)
{
    c.inRange(QStringLiteral("Frequency"), r.Frequency, kRfFrequencyBounds,
              QStringLiteral("sensor frequency"), QStringLiteral(" MHz"));
    c.inRange(QStringLiteral("External_offset"), r.External_offset, kRfOffsetBounds,
              QStringLiteral("external offset"), QStringLiteral(" dB"));
    if (!c.knownCode(QStringLiteral("RF_Model"), r.RF_Model, int(rfSensorModels().size()),
                     QStringLiteral("power sensor")))
        return;
    rfPair(c, QStringLiteral("Display"), r.RF_Model, r.Display_Mode, r.Display_Minimum,
           r.Display_Maximum);
    rfPair(c, QStringLiteral("Limit"), r.RF_Model, r.Limit_Mode, r.Limit_Minimum, r.Limit_Maximum);
}

void opticalPower(StepCheck &c, const OpticalPowerTask &r)
{
    if (c.knownCode(QStringLiteral("Wavelength_Mode"), r.Wavelength_Mode, {1, 2},
                    QStringLiteral("wavelength mode")) &&
        r.Wavelength_Mode == 2) {
        const std::vector<int> &nm = opticalWavelengths();
        const auto at = std::find(nm.begin(), nm.end(), r.Wavelength_Param);
        if (at == nm.end())
            c.error(QStringLiteral("Wavelength_Param"),
                    QStringLiteral("%1 nm is not a wavelength the instrument offers.")
                        .arg(r.Wavelength_Param));
        else if (int(at - nm.begin()) != r.Wavelength_Param_LValue)
            c.error(QStringLiteral("Wavelength_Param"),
                    QStringLiteral("The wavelength %1 nm is stored with the list position %2 of "
                                   "another wavelength.")
                        .arg(r.Wavelength_Param)
                        .arg(r.Wavelength_Param_LValue));
    }
    if (r.Threshold_On_Off)
        c.inRange(QStringLiteral("Threshold_Param"), r.Threshold_Param, kOpticalThresholdBounds,
                  QStringLiteral("threshold"));
}

void fiber(StepCheck &c, const FiberTask &r)
{
    if (c.knownCode(QStringLiteral("Profile"), r.Profile, int(fiberProfiles().size()),
                    QStringLiteral("fiber profile")))
        c.knownCode(QStringLiteral("Tip"), r.Tip, int(fiberTips(r.Profile).size()),
                    QStringLiteral("fiber tip"));
}

void biasTee(StepCheck &c, const BiasTeeTask &r)
{
    if (!modelFacts(c.model()).biasTee) {
        c.error(QString(), QStringLiteral("The %1 has no bias tee.").arg(c.modelText()));
        return;
    }
    if (c.knownCode(QStringLiteral("Mode"), r.Mode, {1, 2}, QStringLiteral("bias tee mode")) &&
        r.Mode == 1 && r.Voltage_On_Off)
        c.inRange(QStringLiteral("Voltage_Param"), r.Voltage_Param, kBiasVoltageBounds,
                  QStringLiteral("bias voltage"), QStringLiteral(" V"));
}

} // namespace

void checkSettingStep(StepCheck &c, const TaskStep &step)
{
    std::visit(
        [&](const auto &r) {
            using R = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<R, MeasureModeTask>)
                measureMode(c, r);
            else if constexpr (std::is_same_v<R, FrequencyDistanceTask>)
                frequencyDistance(c, r);
            else if constexpr (std::is_same_v<R, AmplitudeTask>)
                amplitude(c, r);
            else if constexpr (std::is_same_v<R, GeneralTask>)
                general(c, r);
            else if constexpr (std::is_same_v<R, DataPointTask>)
                dataPoint(c, r);
            else if constexpr (std::is_same_v<R, WindowingTask>)
                c.knownCode(QStringLiteral("Param"), r.Param, int(windowingNames().size()),
                            QStringLiteral("window shape"));
            else if constexpr (std::is_same_v<R, DtfTask>)
                cable(c, r);
            else if constexpr (std::is_same_v<R, RfPowerTask>)
                rfPower(c, r);
            else if constexpr (std::is_same_v<R, OpticalPowerTask>)
                opticalPower(c, r);
            else if constexpr (std::is_same_v<R, FiberTask>)
                fiber(c, r);
            else if constexpr (std::is_same_v<R, BiasTeeTask>)
                biasTee(c, r);
        },
        step.record);
}

} // namespace stepvane
