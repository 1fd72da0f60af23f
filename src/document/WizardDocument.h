// The in-memory wizard: sequences of task steps, each step owning one
// parameter record, plus the small header. Sequences and steps are held by
// unique_ptr so panes and pages may keep pointers across reorders.
#pragma once

#include "document/TaskRecords.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <variant>
#include <vector>

namespace stepvane {

enum TaskKind : int {
    TaskUnknown = 0,
    TaskSave = 1,
    TaskPrompt = 2,
    TaskReport = 3,
    TaskCalibration = 4,
    TaskBiasTee = 5,
    TaskLoad = 6,
    TaskMeasureMode = 7,
    TaskFrequencyDistance = 8,
    TaskAmplitude = 9,
    TaskDtf = 10,
    TaskDataPoint = 11,
    TaskRfPower = 12,
    TaskOpticalPower = 13,
    TaskFiber = 14,
    TaskWindowing = 15,
    TaskMarkerPeak = 16,
    TaskLimit = 17,
    TaskZoomZones = 18,
    TaskHold = 19,
    TaskAutoScale = 20,
    TaskScpiCommands = 21, // reserved: list label only
    TaskConditions = 22,   // reserved: list label only
    TaskGeneral = 23,
};

enum class TaskGroup { None, Procedure, Setting, Analysis };

// Alternatives are in TaskKind order (codes 1..20, then 23), so the kind follows
// from the alternative held.
using TaskRecord =
    std::variant<SaveTask, PromptTask, ReportTask, CalibrationTask, BiasTeeTask, LoadTask,
                 MeasureModeTask, FrequencyDistanceTask, AmplitudeTask, DtfTask, DataPointTask,
                 RfPowerTask, OpticalPowerTask, FiberTask, WindowingTask, MarkerPeakTask, LimitTask,
                 ZoomZonesTask, HoldTask, AutoScaleTask, GeneralTask>;

TaskKind kindOfRecord(const TaskRecord &record);

// Every kind that can be stored in a file, in code order.
const std::vector<TaskKind> &storableTaskKinds();
bool isStorableKind(int kind);

constexpr int kDistanceMeter = 0;
constexpr int kDistanceFoot = 1;

// The record factory: a new record of the kind with its defaults. The model and
// distance unit decide the frequency and distance defaults. An unstorable kind
// gives std::nullopt-like behaviour through isStorableKind; callers check first.
TaskRecord makeDefaultRecord(TaskKind kind, int modelIndex, int distanceUnit);

struct TaskStep {
    TaskRecord record;

    TaskStep() = default;
    explicit TaskStep(TaskRecord r) : record(std::move(r)) {}
    TaskKind kind() const { return kindOfRecord(record); }

    template <typename T> T *as() { return std::get_if<T>(&record); }
    template <typename T> const T *as() const { return std::get_if<T>(&record); }

    // Task clipboard copy: a fresh record of the source's kind with every field
    // copied; the two share nothing afterwards.
    void copyFrom(const TaskStep &source) { record = source.record; }

    bool operator==(const TaskStep &) const = default;
};

constexpr int kMaxSequences = 100;
constexpr int kMaxSteps = 100;

struct TestingSequence {
    QString Title;
    std::vector<std::unique_ptr<TaskStep>> steps;

    int stepCount() const { return int(steps.size()); }
    TaskStep *step(int index) const;
    // Adding beyond kMaxSteps is refused (nullptr). index -1 appends.
    TaskStep *insertStep(int index, TaskRecord record);
    bool removeStep(int index);
    bool moveStep(int from, int to);

    std::unique_ptr<TestingSequence> clone() const;
    bool operator==(const TestingSequence &other) const;
};

// What the reader found in a file that the document cannot hold: an attached
// file the instrument would not show, content the reader passed over (a
// second copy of an element the format holds once), or a picture whose stated
// size differs from its data (the document keeps the data's). The check
// reports these; they describe the file read, not the wizard, so == ignores
// them.
struct FileNote {
    enum Kind { DamagedAttachment, IgnoredContent, StatedSizeDiffers };
    Kind kind = DamagedAttachment;
    int sequence = -1; // from 0; -1 for the wizard itself
    int step = -1;     // from 0; -1 for the sequence (or the wizard) itself
    QString field;     // the slot or element path ("ImageNum_3", "Information/Title")
    QString message;
    QByteArray digest; // ignored content: a digest of what was passed over
    bool operator==(const FileNote &) const = default;
};

struct WizardDocument {
    std::vector<std::unique_ptr<TestingSequence>> sequences;
    QString Title;
    QString PW;
    QString PW_Confirm; // the password as typed a second time
    Flag PasswordSet = 0;
    int SeqEndOption = 2;
    std::vector<FileNote> FileNotes; // from the last read into this document

    WizardDocument() = default;
    WizardDocument(const WizardDocument &other);
    WizardDocument &operator=(const WizardDocument &other);
    WizardDocument(WizardDocument &&) = default;
    WizardDocument &operator=(WizardDocument &&) = default;

    int sequenceCount() const { return int(sequences.size()); }
    TestingSequence *sequence(int index) const;
    // Adding beyond kMaxSequences is refused (nullptr). index -1 appends.
    TestingSequence *insertSequence(int index, std::unique_ptr<TestingSequence> seq);
    TestingSequence *appendSequence()
    {
        return insertSequence(-1, std::make_unique<TestingSequence>());
    }
    bool removeSequence(int index);
    bool moveSequence(int from, int to);

    void setPassword(const QString &pw);
    void clearPassword();
    // Deletes every sequence and resets the header to a new document's.
    void clear();

    bool operator==(const WizardDocument &other) const;
};

} // namespace stepvane
