// Wizard document: containers, limits, copy and equality, and the record factory.
#include "document/WizardDocument.h"

#include "document/ModelTables.h"

#include <algorithm>

namespace stepvane {

namespace {

constexpr TaskKind kAlternativeKinds[] = {
    TaskSave,         TaskPrompt,    TaskReport,      TaskCalibration,
    TaskBiasTee,      TaskLoad,      TaskMeasureMode, TaskFrequencyDistance,
    TaskAmplitude,    TaskDtf,       TaskDataPoint,   TaskRfPower,
    TaskOpticalPower, TaskFiber,     TaskWindowing,   TaskMarkerPeak,
    TaskLimit,        TaskZoomZones, TaskHold,        TaskAutoScale,
    TaskGeneral};
static_assert(std::size(kAlternativeKinds) == std::variant_size_v<TaskRecord>);

template <typename T> void moveWithin(std::vector<std::unique_ptr<T>> &list, int from, int to)
{
    auto item = std::move(list[size_t(from)]);
    list.erase(list.begin() + from);
    list.insert(list.begin() + to, std::move(item));
}

} // namespace

TaskKind kindOfRecord(const TaskRecord &record)
{
    return kAlternativeKinds[record.index()];
}

const std::vector<TaskKind> &storableTaskKinds()
{
    static const std::vector<TaskKind> kinds = [] {
        std::vector<TaskKind> v(std::begin(kAlternativeKinds), std::end(kAlternativeKinds));
        std::sort(v.begin(), v.end());
        return v;
    }();
    return kinds;
}

bool isStorableKind(int kind)
{
    return std::find(std::begin(kAlternativeKinds), std::end(kAlternativeKinds), kind) !=
           std::end(kAlternativeKinds);
}

TaskRecord makeDefaultRecord(TaskKind kind, int modelIndex, int distanceUnit)
{
    switch (kind) {
    case TaskSave:
        return SaveTask{};
    case TaskPrompt:
        return PromptTask{};
    case TaskReport:
        return ReportTask{};
    case TaskCalibration:
        return CalibrationTask{};
    case TaskBiasTee:
        return BiasTeeTask{};
    case TaskLoad:
        return LoadTask{};
    case TaskMeasureMode:
        return MeasureModeTask{};
    case TaskFrequencyDistance: {
        FrequencyDistanceTask r;
        const Bounds &band = modelFacts(modelIndex).frequency;
        r.Start_Frequency = band.lower;
        r.Stop_Frequency = band.upper;
        r.Units = distanceUnit;
        r.Stop_Distance = distanceFacts(distanceUnit).newStopDistance;
        return r;
    }
    case TaskAmplitude:
        return AmplitudeTask{};
    case TaskDtf: {
        DtfTask r;
        r.Units = distanceUnit;
        r.Cable_Loss = distanceFacts(distanceUnit).newCableLoss;
        return r;
    }
    case TaskDataPoint:
        return DataPointTask{};
    case TaskRfPower:
        return RfPowerTask{};
    case TaskOpticalPower:
        return OpticalPowerTask{};
    case TaskFiber:
        return FiberTask{};
    case TaskWindowing:
        return WindowingTask{};
    case TaskMarkerPeak:
        return MarkerPeakTask{};
    case TaskLimit:
        return LimitTask{};
    case TaskZoomZones:
        return ZoomZonesTask{};
    case TaskHold:
        return HoldTask{};
    case TaskAutoScale:
        return AutoScaleTask{};
    case TaskGeneral:
        return GeneralTask{};
    default:
        break;
    }
    // Reserved and unknown kinds have no record; callers check isStorableKind first.
    return CalibrationTask{};
}

TaskStep *TestingSequence::step(int index) const
{
    if (index < 0 || index >= stepCount())
        return nullptr;
    return steps[size_t(index)].get();
}

TaskStep *TestingSequence::insertStep(int index, TaskRecord record)
{
    if (stepCount() >= kMaxSteps)
        return nullptr;
    if (index < 0 || index > stepCount())
        index = stepCount();
    auto it = steps.insert(steps.begin() + index, std::make_unique<TaskStep>(std::move(record)));
    return it->get();
}

bool TestingSequence::removeStep(int index)
{
    if (index < 0 || index >= stepCount())
        return false;
    steps.erase(steps.begin() + index);
    return true;
}

bool TestingSequence::moveStep(int from, int to)
{
    if (from < 0 || from >= stepCount() || to < 0 || to >= stepCount())
        return false;
    moveWithin(steps, from, to);
    return true;
}

std::unique_ptr<TestingSequence> TestingSequence::clone() const
{
    auto copy = std::make_unique<TestingSequence>();
    copy->Title = Title;
    copy->steps.reserve(steps.size());
    for (const auto &s : steps)
        copy->steps.push_back(std::make_unique<TaskStep>(*s));
    return copy;
}

bool TestingSequence::operator==(const TestingSequence &other) const
{
    return Title == other.Title &&
           std::equal(steps.begin(), steps.end(), other.steps.begin(), other.steps.end(),
                      [](const auto &a, const auto &b) { return *a == *b; });
}

WizardDocument::WizardDocument(const WizardDocument &other)
{
    *this = other;
}

WizardDocument &WizardDocument::operator=(const WizardDocument &other)
{
    if (this == &other)
        return *this;
    std::vector<std::unique_ptr<TestingSequence>> copies;
    copies.reserve(other.sequences.size());
    for (const auto &s : other.sequences)
        copies.push_back(s->clone());
    sequences = std::move(copies);
    Title = other.Title;
    PW = other.PW;
    PW_Confirm = other.PW_Confirm;
    PasswordSet = other.PasswordSet;
    SeqEndOption = other.SeqEndOption;
    FileNotes = other.FileNotes;
    return *this;
}

TestingSequence *WizardDocument::sequence(int index) const
{
    if (index < 0 || index >= sequenceCount())
        return nullptr;
    return sequences[size_t(index)].get();
}

TestingSequence *WizardDocument::insertSequence(int index, std::unique_ptr<TestingSequence> seq)
{
    if (!seq || sequenceCount() >= kMaxSequences)
        return nullptr;
    if (index < 0 || index > sequenceCount())
        index = sequenceCount();
    auto it = sequences.insert(sequences.begin() + index, std::move(seq));
    return it->get();
}

bool WizardDocument::removeSequence(int index)
{
    if (index < 0 || index >= sequenceCount())
        return false;
    sequences.erase(sequences.begin() + index);
    return true;
}

bool WizardDocument::moveSequence(int from, int to)
{
    if (from < 0 || from >= sequenceCount() || to < 0 || to >= sequenceCount())
        return false;
    moveWithin(sequences, from, to);
    return true;
}

void WizardDocument::setPassword(const QString &pw)
{
    PW = pw;
    PW_Confirm = pw;
    PasswordSet = pw.isEmpty() ? 0 : 1;
}

void WizardDocument::clearPassword()
{
    PW.clear();
    PW_Confirm.clear();
    PasswordSet = 0;
}

void WizardDocument::clear()
{
    *this = WizardDocument();
}

bool WizardDocument::operator==(const WizardDocument &other) const
{
    return Title == other.Title && PW == other.PW && PW_Confirm == other.PW_Confirm &&
           PasswordSet == other.PasswordSet && SeqEndOption == other.SeqEndOption &&
           std::equal(sequences.begin(), sequences.end(), other.sequences.begin(),
                      other.sequences.end(), [](const auto &a, const auto &b) { return *a == *b; });
}

} // namespace stepvane
