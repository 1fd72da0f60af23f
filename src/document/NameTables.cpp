// Name tables of the wizard document.
#include "document/NameTables.h"

#include <array>

namespace stepvane {

namespace {

struct KindNames {
    TaskKind kind;
    const char *stored;
    const char *list;
    TaskGroup group;
};

constexpr std::array<KindNames, 23> kKinds = {{
    {TaskSave, "Save", "Save", TaskGroup::Procedure},
    {TaskPrompt, "Prompt", "Prompt", TaskGroup::Procedure},
    {TaskReport, "Report", "Consolidated report", TaskGroup::Procedure},
    {TaskCalibration, "Calibration", "Calibration", TaskGroup::Procedure},
    {TaskBiasTee, "Bias Tee", "Bias Tee", TaskGroup::Setting},
    {TaskLoad, "Load", "Load", TaskGroup::Procedure},
    {TaskMeasureMode, "Measure_Mode", "Measure Mode", TaskGroup::Setting},
    {TaskFrequencyDistance, "Frequency_Distance", "Frequency / Distance", TaskGroup::Setting},
    {TaskAmplitude, "Amplitude", "Amplitude", TaskGroup::Setting},
    {TaskDtf, "Settings for DTF", "Cable", TaskGroup::Setting},
    {TaskDataPoint, "Data Point", "Data Point", TaskGroup::Setting},
    {TaskRfPower, "RF Power settings", "RF Power", TaskGroup::Setting},
    {TaskOpticalPower, "Optical Power settings", "Optical Power", TaskGroup::Setting},
    {TaskFiber, "Fiber settings", "Fiber Inspection", TaskGroup::Setting},
    {TaskWindowing, "Windowing", "Windowing", TaskGroup::Setting},
    {TaskMarkerPeak, "Marker_Peak", "Marker / Peak", TaskGroup::Analysis},
    {TaskLimit, "Limit", "Limit", TaskGroup::Analysis},
    {TaskZoomZones, "Zoom Zones", "Zoom zones", TaskGroup::Analysis},
    {TaskHold, "Hold", "Hold", TaskGroup::Analysis},
    {TaskAutoScale, "Auto Scale", "Auto scale", TaskGroup::Analysis},
    {TaskScpiCommands, "", "SCPI commands", TaskGroup::None},
    {TaskConditions, "", "Conditions", TaskGroup::None},
    {TaskGeneral, "General", "General", TaskGroup::Setting},
}};

const KindNames *findKind(TaskKind kind)
{
    for (const auto &k : kKinds)
        if (k.kind == kind)
            return &k;
    return nullptr;
}

} // namespace

QString modelName(int modelIndex)
{
    static const char *const names[kModelCount] = {"VX310A", "VX320A", "VX330A", "VX340A"};
    if (modelIndex < 0 || modelIndex >= kModelCount)
        return QStringLiteral("Unknown Equipment");
    return QString::fromLatin1(names[modelIndex]);
}

QString taskStoredName(TaskKind kind)
{
    const KindNames *k = findKind(kind);
    return k ? QString::fromLatin1(k->stored) : QString();
}

QString taskListName(TaskKind kind)
{
    const KindNames *k = findKind(kind);
    return k ? QString::fromLatin1(k->list) : QString();
}

TaskGroup taskGroup(TaskKind kind)
{
    const KindNames *k = findKind(kind);
    return k ? k->group : TaskGroup::None;
}

TaskKind kindFromStoredName(const QString &name)
{
    if (name.isEmpty())
        return TaskUnknown;
    for (const auto &k : kKinds)
        if (name == QLatin1String(k.stored))
            return k.kind;
    return TaskUnknown;
}

const QStringList &MeasurementNameTable()
{
    static const QStringList table = {"Reflection VSWR",
                                      "Reflection Return Loss",
                                      "DTF VSWR",
                                      "DTF Return Loss",
                                      "1 Port Cable Loss",
                                      "1 Port Phase",
                                      "Smith Chart",
                                      "RF Power",
                                      "Optical Power",
                                      "CAA_SYSTEM",
                                      "CAA_AMPLITUDE",
                                      "CAA_LOAD_CAL",
                                      "2 Port Transmission",
                                      "2 Port Phase",
                                      "",
                                      "TRACE_MATH",
                                      "COUNT",
                                      "Fiber Inspection",
                                      "RF_SOURCE",
                                      "WIZARD",
                                      "CAA_INSERIONLOSS",
                                      "CAA_INSERION_HG",
                                      "CAA_INSERION_LG"};
    return table;
}

const QStringList &LayoutNameTable()
{
    static const QStringList table = {
        "Single", "Dual Horizotal", "Dual Vertical", "Triple", "Quad",
        "Single", "Dual Horizotal", "Dual Vertical", "Triple", "Quad"};
    return table;
}

const QStringList &OutputFormatTable()
{
    static const QStringList table = {"NoFormat", "TRA", "CSV", "XML", "Binary", "PDF",
                                      "HTML",     "On",  "Off", "On",  "Off"};
    return table;
}

QString measurementText(int code)
{
    static constexpr int map[12] = {0, 1, 2, 3, 4, 5, 12, 13, 6, 7, 8, 17};
    if (code < 0 || code > 11)
        return QString();
    return MeasurementNameTable().at(map[code]);
}

QString tableEntry(const QStringList &table, int index)
{
    if (index < 0 || index >= table.size())
        return QString();
    return table.at(index);
}

QString entryOrNull(std::initializer_list<const char *> texts, int code, int firstCode)
{
    const long long index = (long long)code - firstCode;
    if (index < 0 || index >= (long long)texts.size())
        return QString();
    return QString::fromLatin1(texts.begin()[index]);
}

QString automationManual(int mode)
{
    return entryOrNull({"Automation", "Manual"}, mode, 1);
}

} // namespace stepvane
