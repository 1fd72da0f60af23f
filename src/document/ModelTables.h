// The facts that depend on the instrument model or the distance unit, and the
// fixed lists and bounds of the measurement-setting steps: one table that the
// record factory, the editor pages and the wizard check all read, so a range
// or a list lives in exactly one place.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace stepvane {

// A closed range of a number field. The values are the decimal bounds as the
// instrument states them; edit fields take them in single precision.
struct Bounds {
    double lower = 0;
    double upper = 0;
    bool contains(double value) const { return value >= lower && value <= upper; }
    double clamp(double value) const;
    bool operator==(const Bounds &) const = default;
};

// Measure_Mode codes (the index into the full list of twelve).
enum MeasurementCode : int {
    MeasureReflectionVswr = 0,
    MeasureReflectionReturnLoss = 1,
    MeasureDtfVswr = 2,
    MeasureDtfReturnLoss = 3,
    MeasureCableLoss = 4,
    MeasurePhase = 5,
    MeasureTwoPortTransmission = 6,
    MeasureTwoPortPhase = 7,
    MeasureSmithChart = 8,
    MeasureRfPower = 9,
    MeasureOpticalPower = 10,
    MeasureFiberInspection = 11,
};
constexpr int kMeasurementCount = 12;

// ---- instrument models (index 0..3: VX310A, VX320A, VX330A, VX340A) -------

struct ModelFacts {
    Bounds frequency;           // MHz: start/stop frequency and zoom zones
    QString frequencyHelp;      // "100 MHz - 2.7 GHz"
    bool twoPort;               // offers 2 Port Transmission and 2 Port Phase
    bool outputPowerAndAverage; // the General step sets output power and averaging
    bool biasTee;               // offers the Bias Tee step
};

// The facts of a model, or nullptr for an index outside 0..3.
const ModelFacts *findModelFacts(int modelIndex);
// The same for the editor, which always has a model: an unknown index (only
// a hand-edited file can carry one) is treated as VX320A, whose frequency
// defaults the record factory has always given it.
const ModelFacts &modelFacts(int modelIndex);

// Whether the model's instrument offers the measurement (code 0..11).
bool modelHasMeasurement(int modelIndex, int measurement);

// ---- distance unit (0 Meter, any other value Foot) -------------------------

constexpr double kFeetPerMetre = 3.28;

struct DistanceFacts {
    Bounds start;           // Start_Distance
    Bounds stop;            // Stop_Distance
    QString startHelp;      // "0 - 1499 m"
    QString stopHelp;       // "1 - 1500 m"
    QString unitLabel;      // "m" or "ft"
    double newStopDistance; // of a new Frequency_Distance record
    double newCableLoss;    // of a new DTF record, dB per metre or per foot
    QString cableLossLabel; // "Cable loss (dB/m)"
};
const DistanceFacts &distanceFacts(int unit);
// Stop distance keeps at least this much above start.
constexpr double kDistanceGap = 1.0;

// ---- amplitude --------------------------------------------------------------

inline constexpr Bounds kAmplitudeBounds{-180, 180};
constexpr double kAmplitudeGap = 0.1; // Top stays at least this much above Bottom

// The scale range the instrument accepts for Top and Bottom in one mode.
struct AmplitudeScale {
    int measurement; // MeasurementCode
    QString mode;    // the mode's name, as the help table shows it
    Bounds top, bottom;
    QString topText, bottomText; // "1.1 to 65", as the help table shows them
};
// The help rows of the model in page order (2-port rows only where offered).
const std::vector<AmplitudeScale> &amplitudeScales(int modelIndex);
// The scale of one mode, if the instrument states one for it on the model.
std::optional<AmplitudeScale> amplitudeScale(int modelIndex, int measurement);

// ---- general, data point, windowing -----------------------------------------

inline constexpr Bounds kAverageBounds{0, 5};
inline const QString kOutputPowerHigh = QStringLiteral("0");
inline const QString kOutputPowerLow = QStringLiteral("-30");
// The point counts offered, in button order.
const std::vector<int> &dataPointCounts();
// Window shapes by Param 0..4.
const QStringList &windowingNames();

// ---- DTF cable -----------------------------------------------------------------

inline constexpr Bounds kPropagationVelocityBounds{0, 1.0};
inline constexpr Bounds kCableLossBounds{0, 2.0};
constexpr int kCableDecimals = 4; // velocity and loss are shown with four decimals
inline const QString kCustomCableName = QStringLiteral("Custom Cable");

// ---- RF power -------------------------------------------------------------------

enum RfMode : int { RfAverage = 0, RfPeak = 1, RfVswr = 2, RfPulse = 3 };
inline constexpr Bounds kRfFrequencyBounds{150, 3500};
inline constexpr Bounds kRfOffsetBounds{-100, 100};
// "P41A/B" .. "P46A/B" by RF_Model 0..4.
const QStringList &rfSensorModels();
// A mode's name by value 0..3 ("Average", "Peak", "VSWR", "Pulse").
QString rfModeName(int mode);
// The mode values a sensor offers, in list order; a sensor outside 0..4 is
// treated as sensor 0.
const std::vector<int> &rfSensorModes(int sensor);
bool rfSensorHasMode(int sensor, int mode);

// The scale pair of a display or limit mode (VSWR has its own).
struct RfScale {
    Bounds minimum, maximum;
    double newMinimum, newMaximum; // what a mode change resets the pair to
    QString unit;                  // "dBm" or ":1"
};
const RfScale &rfScale(int mode);
constexpr double kRfScaleGap = 1.0;

// ---- optical power, fiber, bias tee ---------------------------------------------

// Wavelengths in nm, in list order (Wavelength_Param_LValue is the position).
const std::vector<int> &opticalWavelengths();
inline constexpr Bounds kOpticalThresholdBounds{-99.99, 99};

const QStringList &fiberProfiles();
// The tip list of a profile (ribbon profiles have their own).
const QStringList &fiberTips(int profile);

inline constexpr Bounds kBiasVoltageBounds{12, 32};

// ---- procedure and analysis steps -------------------------------------------------

inline constexpr Bounds kPromptDelayBounds{5, 600}; // seconds before an automatic move on
inline constexpr Bounds kMarkerXBounds{0, 6000};    // marker X values, on every model
inline constexpr Bounds kLimitValueBounds{-60, 65}; // limit line and warning values
// Longest texts the instrument keeps: a step description, a prompt or picture comment.
constexpr int kDescriptionMaxLength = 256;
constexpr int kCommentMaxLength = 90;

} // namespace stepvane
