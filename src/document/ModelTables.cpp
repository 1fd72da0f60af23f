// The per-model, per-unit and per-setting table.
#include "document/ModelTables.h"

#include <algorithm>
#include <array>

namespace stepvane {

double Bounds::clamp(double value) const
{
    return std::clamp(value, lower, upper);
}

namespace {

const std::array<ModelFacts, 4> &models()
{
    static const std::array<ModelFacts, 4> table = {{
        {{100, 2700}, QStringLiteral("100 MHz - 2.7 GHz"), false, false, false}, // VX310A
        {{5, 4000}, QStringLiteral("5 MHz - 4 GHz"), false, false, false},       // VX320A
        {{5, 4000}, QStringLiteral("5 MHz - 4 GHz"), true, true, true},          // VX330A
        {{5, 6000}, QStringLiteral("5 MHz - 6 GHz"), true, true, true},          // VX340A
    }};
    return table;
}

constexpr int kFallbackModel = 1;

bool isTwoPortMeasurement(int measurement)
{
    return measurement == MeasureTwoPortTransmission || measurement == MeasureTwoPortPhase;
}

} // namespace

const ModelFacts *findModelFacts(int modelIndex)
{
    if (modelIndex < 0 || modelIndex >= int(models().size()))
        return nullptr;
    return &models()[size_t(modelIndex)];
}

const ModelFacts &modelFacts(int modelIndex)
{
    const ModelFacts *facts = findModelFacts(modelIndex);
    return facts ? *facts : models()[kFallbackModel];
}

bool modelHasMeasurement(int modelIndex, int measurement)
{
    const ModelFacts *facts = findModelFacts(modelIndex);
    if (!facts || measurement < 0 || measurement >= kMeasurementCount)
        return false;
    return facts->twoPort || !isTwoPortMeasurement(measurement);
}

const DistanceFacts &distanceFacts(int unit)
{
    // 4916.72 is 1499 m in feet as the instrument keeps it (single precision).
    static const DistanceFacts meter{{0, 1499},
                                     {1, 1500},
                                     QStringLiteral("0 - 1499 m"),
                                     QStringLiteral("1 - 1500 m"),
                                     QStringLiteral("m"),
                                     15.0,
                                     0.072,
                                     QStringLiteral("Cable loss (dB/m)")};
    static const DistanceFacts foot{{0, 4916.72},
                                    {1.4, 4920},
                                    QStringLiteral("0.0 - 4916.72 ft"),
                                    QStringLiteral("1.4 - 4920 ft"),
                                    QStringLiteral("ft"),
                                    49.2,
                                    0.022,
                                    QStringLiteral("Cable loss (dB/ft)")};
    return unit == 0 ? meter : foot;
}

namespace {

std::vector<AmplitudeScale> buildAmplitudeScales(int modelIndex)
{
    const ModelFacts *facts = findModelFacts(modelIndex);
    if (!facts)
        return {};
    // The phase range of the older models keeps one decimal.
    const bool finePhase = !facts->twoPort;
    std::vector<AmplitudeScale> rows = {
        {MeasureReflectionVswr,
         "Reflection VSWR",
         {1.1, 65},
         {1.0, 64.9},
         "1.1 to 65",
         "1.0 to 64.9"},
        {MeasureReflectionReturnLoss,
         "Reflection Return Loss",
         {-59.9, 0},
         {-60, -0.1},
         "-59.9 to 0.0",
         "-60 to -0.1"},
        {MeasureDtfVswr, "DTF VSWR", {1.1, 65}, {1.0, 64.9}, "1.1 to 65", "1.0 to 64.9"},
        {MeasureDtfReturnLoss,
         "DTF Return Loss",
         {-59.9, 0},
         {-60, -0.1},
         "-59.9 to 0.0",
         "-60 to -0.1"},
        {MeasureCableLoss,
         "1 Port Cable Loss",
         {-29.9, 0},
         {-30, -0.1},
         "-29.9 to 0.0",
         "-30 to -0.1"},
        finePhase ? AmplitudeScale{MeasurePhase,
                                   "1 Port Phase",
                                   {-179.9, 180},
                                   {-180, 179.9},
                                   "-179.9 to 180.0",
                                   "-180 to 179.9"}
                  : AmplitudeScale{MeasurePhase,
                                   "1 Port Phase",
                                   {-179, 180},
                                   {-180, 179},
                                   "-179 to 180",
                                   "-180 to 179"},
    };
    if (facts->twoPort) {
        rows.push_back({MeasureTwoPortPhase,
                        "2 Port Phase",
                        {-179, 180},
                        {-180, 179},
                        "-179 to 180",
                        "-180 to 179"});
        rows.push_back({MeasureTwoPortTransmission,
                        "2 Port Transmission",
                        {-119.9, 100},
                        {-120, 99.9},
                        "-119.9 to 100.0",
                        "-120 to 99.9"});
    }
    return rows;
}

} // namespace

const std::vector<AmplitudeScale> &amplitudeScales(int modelIndex)
{
    // Built once: the check asks for a scale at every amplitude step.
    static const std::vector<std::vector<AmplitudeScale>> tables = [] {
        std::vector<std::vector<AmplitudeScale>> built;
        for (int model = 0; findModelFacts(model); ++model)
            built.push_back(buildAmplitudeScales(model));
        return built;
    }();
    static const std::vector<AmplitudeScale> none;
    return findModelFacts(modelIndex) ? tables[size_t(modelIndex)] : none;
}

std::optional<AmplitudeScale> amplitudeScale(int modelIndex, int measurement)
{
    for (const AmplitudeScale &row : amplitudeScales(modelIndex))
        if (row.measurement == measurement)
            return row;
    return std::nullopt;
}

const std::vector<int> &dataPointCounts()
{
    static const std::vector<int> counts = {126, 251, 501, 1001, 2001};
    return counts;
}

const QStringList &windowingNames()
{
    static const QStringList names = {"Rectangular", "Blackman", "NSL (Nominal Side Lobe)",
                                      "LSL (Low Side Lobe)", "MSL (Minimum Side Lobe)"};
    return names;
}

const QStringList &rfSensorModels()
{
    static const QStringList names = {"P41A/B", "P42A/B", "P43A/B", "P44A/B", "P46A/B"};
    return names;
}

QString rfModeName(int mode)
{
    static const QStringList names = {"Average", "Peak", "VSWR", "Pulse"};
    return mode >= 0 && mode < names.size() ? names.at(mode) : QString();
}

const std::vector<int> &rfSensorModes(int sensor)
{
    static const std::array<std::vector<int>, 5> modes = {{
        {RfAverage, RfPeak, RfVswr, RfPulse}, // P41A/B
        {RfAverage},                          // P42A/B
        {RfAverage, RfPeak, RfVswr},          // P43A/B
        {RfPeak},                             // P44A/B
        {RfAverage, RfPeak, RfPulse},         // P46A/B
    }};
    if (sensor < 0 || sensor >= int(modes.size()))
        sensor = 0;
    return modes[size_t(sensor)];
}

bool rfSensorHasMode(int sensor, int mode)
{
    const std::vector<int> &modes = rfSensorModes(sensor);
    return std::find(modes.begin(), modes.end(), mode) != modes.end();
}

const RfScale &rfScale(int mode)
{
    static const RfScale power{{-100, 99}, {-99, 100}, 21.0, 52.0, QStringLiteral("dBm")};
    static const RfScale vswr{{1, 64}, {2, 65}, 1.0, 2.0, QStringLiteral(":1")};
    return mode == RfVswr ? vswr : power;
}

const std::vector<int> &opticalWavelengths()
{
    static const std::vector<int> nm = {780,  820,  850,  980,  1300, 1310,
                                        1470, 1480, 1490, 1530, 1550, 1625};
    return nm;
}

const QStringList &fiberProfiles()
{
    static const QStringList names = {
        "MM (IEC-61300-3-35)",     "Ribbon, MM (IEC-61300-3-35)", "Ribbon, SM APC (IEC-61300-3-35)",
        "SM APC (IEC-61300-3-35)", "SM PC (IEC-61300-3-35)",      "SM UPC (IEC-61300-3-35)"};
    return names;
}

const QStringList &fiberTips(int profile)
{
    static const QStringList standard = {"Standard Tips (with RKA2)",
                                         "Simplex Long Reach (-L) Tips"};
    static const QStringList ribbon = {"Ribbon Tips", "Ribbon Tips - LongReach"};
    return profile == 1 || profile == 2 ? ribbon : standard;
}

} // namespace stepvane
