// Step elements of the measurement-setting task kinds (Measure_Mode,
// Frequency_Distance, Amplitude, General, Data Point, Windowing, Settings for
// DTF, RF Power, Optical Power, Fiber, Bias Tee): the writer and reader of each.
//
// Writers run with the cursor on the step element (Task_Step_Name written) and
// add their elements below it in the order the instrument expects. Readers run
// with the cursor on the step element and look every value up from there, so a
// missing element leaves only its own field at the reading default.
#include "document/NameTables.h"
#include "document/VX_CAAXML_PARSER.h"

namespace stepvane {

namespace {

// A code outside its table has no text; a null text makes addOptDL write only
// the code.
QString unitsText(int units)
{
    return entryOrNull({"Meter", "Foot"}, units, 0);
}
QString powerModeText(int mode)
{
    return entryOrNull({"Average", "Peak", "VSWR", "Pulse"}, mode, 0);
}

QString measurementOrNull(int code)
{
    const QString text = measurementText(code);
    return text.isEmpty() ? QString() : text;
}

} // namespace

// --- Measure_Mode ------------------------------------------------------------

void VX_CAAXML_PARSER::writeMeasureMode(const MeasureModeTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addOptDL(QStringLiteral("Measurement"), measurementOrNull(r.Measurement), r.Measurement);
}

bool VX_CAAXML_PARSER::readMeasureMode(MeasureModeTask &r)
{
    r = MeasureModeTask{}; // Measurement 0 when the file does not say
    anchorHere();
    readDText("Description", r.Description);
    readL("Measurement", r.Measurement);
    return true;
}

// --- Frequency_Distance ------------------------------------------------------

void VX_CAAXML_PARSER::writeFrequencyDistance(const FrequencyDistanceTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    // Both values are written whatever the check says: the check only tells the
    // instrument whether to apply them.
    const auto checkedParam = [this](const QString &name, Flag check, double param) {
        openElement(name);
        addCheck(check != 0);
        addD(QStringLiteral("Param"), fmtReal2(param));
        closeElement();
    };
    checkedParam(QStringLiteral("Start_Frequency"), r.Start_Frequency_Check, r.Start_Frequency);
    checkedParam(QStringLiteral("Stop_Frequency"), r.Stop_Frequency_Check, r.Stop_Frequency);
    checkedParam(QStringLiteral("Start_Distance"), r.Start_Distance_Check, r.Start_Distance);
    checkedParam(QStringLiteral("Stop_Distance"), r.Stop_Distance_Check, r.Stop_Distance);
    addOptDL(QStringLiteral("Units"), unitsText(r.Units), r.Units);
    openElement(QStringLiteral("Alt_DTF_Band"));
    addCheck(r.Alt_DTF_Band_Check != 0);
    closeElement();
}

bool VX_CAAXML_PARSER::readFrequencyDistance(FrequencyDistanceTask &r)
{
    // Reading defaults: the 5 to 4000 MHz band with its centre and span.
    r = FrequencyDistanceTask{};
    r.Start_Frequency = 5;
    r.Stop_Frequency = 4000;
    r.Center_Frequency = 2002.5;
    r.Span = 3995;
    r.Start_Distance = 0;
    r.Stop_Distance = 16;
    r.Units = kDistanceMeter;

    anchorHere();
    readDText("Description", r.Description);
    const auto checkedParam = [this](std::string_view name, Flag &check, double &param) {
        readWithin(name, [&] {
            readL("Check", check);
            readDReal("Param", param);
        });
    };
    checkedParam("Start_Frequency", r.Start_Frequency_Check, r.Start_Frequency);
    checkedParam("Stop_Frequency", r.Stop_Frequency_Check, r.Stop_Frequency);
    checkedParam("Start_Distance", r.Start_Distance_Check, r.Start_Distance);
    checkedParam("Stop_Distance", r.Stop_Distance_Check, r.Stop_Distance);
    readL("Units", r.Units);
    readL("<Alt_DTF_Band><Check>", r.Alt_DTF_Band_Check);
    return true;
}

// --- Amplitude ---------------------------------------------------------------

void VX_CAAXML_PARSER::writeAmplitude(const AmplitudeTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Top"), fmtReal2(r.Top));
    addD(QStringLiteral("Bottom"), fmtReal2(r.Bottom));
}

bool VX_CAAXML_PARSER::readAmplitude(AmplitudeTask &r)
{
    r = AmplitudeTask{}; // Top 65, Bottom 1
    anchorHere();
    readDText("Description", r.Description);
    readDReal("Top", r.Top);
    readDReal("Bottom", r.Bottom);
    return true;
}

// --- General -----------------------------------------------------------------

void VX_CAAXML_PARSER::writeGeneral(const GeneralTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Interference_Rejection"), onOff(r.Interference_Rejection));
    addD(QStringLiteral("OutputPower"), r.OutputPower);
    addD(QStringLiteral("Average"), r.Average);
}

bool VX_CAAXML_PARSER::readGeneral(GeneralTask &r)
{
    r = GeneralTask{}; // rejection off, output power "-30", average "1"
    anchorHere();
    readDText("Description", r.Description);
    // The instrument needs both of these; a step without them is not usable.
    const std::optional<QString> rejection = dValue("Interference_Rejection");
    if (!rejection)
        return false;
    r.Interference_Rejection = *rejection == QLatin1String("On") ? 1 : 0;
    if (!readDText("OutputPower", r.OutputPower))
        return false;
    readDText("Average", r.Average);
    return true;
}

// --- Data Point and Windowing ------------------------------------------------

void VX_CAAXML_PARSER::writeDataPoint(const DataPointTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Param"), fmtInt(r.Param));
}

bool VX_CAAXML_PARSER::readDataPoint(DataPointTask &r)
{
    r = DataPointTask{}; // 501 points when the file does not say
    anchorHere();
    readDText("Description", r.Description);
    readDInt("Param", r.Param);
    return true;
}

void VX_CAAXML_PARSER::writeWindowing(const WindowingTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Param"), fmtInt(r.Param));
}

bool VX_CAAXML_PARSER::readWindowing(WindowingTask &r)
{
    r = WindowingTask{};
    anchorHere();
    readDText("Description", r.Description);
    // A windowing step without its window is not usable.
    return readDInt("Param", r.Param);
}

// --- Settings for DTF --------------------------------------------------------

void VX_CAAXML_PARSER::writeDtf(const DtfTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addOptDL(QStringLiteral("Mode"), automationManual(r.Mode), r.Mode);
    addD(QStringLiteral("Propagation_Velocity"), fmtReal4(r.Propagation_Velocity));
    addD(QStringLiteral("Cable_Loss"), fmtReal4(r.Cable_Loss));
    addD(QStringLiteral("Cable_Name"), r.Cable_Name);
    addOptDL(QStringLiteral("Units"), unitsText(r.Units), r.Units);
}

bool VX_CAAXML_PARSER::readDtf(DtfTask &r)
{
    // Reading defaults; the unit is Foot here, unlike a new record's.
    r = DtfTask{};
    r.Mode = 1;
    r.Propagation_Velocity = 0.88;
    r.Cable_Loss = 0.072;
    r.Units = kDistanceFoot;

    anchorHere();
    readDText("Description", r.Description);
    readL("Mode", r.Mode);
    readDReal("Propagation_Velocity", r.Propagation_Velocity);
    readDReal("Cable_Loss", r.Cable_Loss);
    readDText("Cable_Name", r.Cable_Name);
    readL("Units", r.Units);
    return true;
}

// --- RF Power settings -------------------------------------------------------

void VX_CAAXML_PARSER::writeRfPower(const RfPowerTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Frequency"), fmtReal2(r.Frequency));
    addD(QStringLiteral("External_offset"), fmtReal2(r.External_offset));
    const auto range = [this](const QString &name, int mode, double minimum, double maximum) {
        openElement(name);
        addOptDL(QStringLiteral("Mode"), powerModeText(mode), mode);
        addD(QStringLiteral("Minimum"), fmtReal2(minimum));
        addD(QStringLiteral("Maximum"), fmtReal2(maximum));
        closeElement();
    };
    range(QStringLiteral("Limit"), r.Limit_Mode, r.Limit_Minimum, r.Limit_Maximum);
    range(QStringLiteral("Display"), r.Display_Mode, r.Display_Minimum, r.Display_Maximum);
    addL(QStringLiteral("RF_Model"), r.RF_Model);
}

bool VX_CAAXML_PARSER::readRfPower(RfPowerTask &r)
{
    r = RfPowerTask{}; // 1000 MHz, no offset, Average, 21 to 52, first sensor
    anchorHere();
    readDText("Description", r.Description);
    readDReal("Frequency", r.Frequency);
    readDReal("External_offset", r.External_offset);
    const auto range = [this](std::string_view name, int &mode, double &minimum, double &maximum) {
        readWithin(name, [&] {
            readL("Mode", mode);
            readDReal("Minimum", minimum);
            readDReal("Maximum", maximum);
        });
    };
    range("Limit", r.Limit_Mode, r.Limit_Minimum, r.Limit_Maximum);
    range("Display", r.Display_Mode, r.Display_Minimum, r.Display_Maximum);
    readL("RF_Model", r.RF_Model);
    return true;
}

// --- Optical Power settings --------------------------------------------------

void VX_CAAXML_PARSER::writeOpticalPower(const OpticalPowerTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    openElement(QStringLiteral("Wavelength"));
    addOptDL(QStringLiteral("Mode"), automationManual(r.Wavelength_Mode), r.Wavelength_Mode);
    // The wavelength in nm for the reader of the file, its list index for the instrument.
    addDL(QStringLiteral("Param"), fmtInt(r.Wavelength_Param), r.Wavelength_Param_LValue);
    closeElement();
    openElement(QStringLiteral("Threshold"));
    addDL(QStringLiteral("On_Off"), onOff(r.Threshold_On_Off), r.Threshold_On_Off);
    addD(QStringLiteral("Param"), fmtReal2(r.Threshold_Param));
    closeElement();
}

bool VX_CAAXML_PARSER::readOpticalPower(OpticalPowerTask &r)
{
    r = OpticalPowerTask{}; // Manual, 1310 nm (index 5), threshold on at -10
    anchorHere();
    readDText("Description", r.Description);
    readL("<Wavelength><Mode>", r.Wavelength_Mode);
    readDInt("<Wavelength><Param>", r.Wavelength_Param);
    readL("<Wavelength><Param>", r.Wavelength_Param_LValue);
    readL("<Threshold><On_Off>", r.Threshold_On_Off);
    readDReal("<Threshold><Param>", r.Threshold_Param);
    return true;
}

// --- Fiber settings ----------------------------------------------------------

void VX_CAAXML_PARSER::writeFiber(const FiberTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addD(QStringLiteral("Profile"), fmtInt(r.Profile));
    addD(QStringLiteral("Tip"), fmtInt(r.Tip));
}

bool VX_CAAXML_PARSER::readFiber(FiberTask &r)
{
    r = FiberTask{}; // first profile and tip when the file does not say
    anchorHere();
    readDText("Description", r.Description);
    readDInt("Profile", r.Profile);
    readDInt("Tip", r.Tip);
    return true;
}

// --- Bias Tee ----------------------------------------------------------------

void VX_CAAXML_PARSER::writeBiasTee(const BiasTeeTask &r)
{
    addD(QStringLiteral("Description"), r.Description);
    addOptDL(QStringLiteral("Mode"), automationManual(r.Mode), r.Mode);
    openElement(QStringLiteral("Voltage"));
    addDL(QStringLiteral("On_Off"), onOff(r.Voltage_On_Off), r.Voltage_On_Off);
    addD(QStringLiteral("Param"), fmtInt(r.Voltage_Param));
    closeElement();
}

bool VX_CAAXML_PARSER::readBiasTee(BiasTeeTask &r)
{
    r = BiasTeeTask{}; // Automation, 12 V on
    anchorHere();
    readDText("Description", r.Description);
    readL("Mode", r.Mode);
    readL("<Voltage><On_Off>", r.Voltage_On_Off);
    readDInt("<Voltage><Param>", r.Voltage_Param);
    return true;
}

} // namespace stepvane
