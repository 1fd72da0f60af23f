// Each kind's two printed names: the first row of its block in the printed
// summary and its line in the sequence summary, each spelled as printed.
#include "summary/SummaryRows.h"

#include <gtest/gtest.h>

#include <utility>

using namespace stepvane;

namespace {

// One step of every kind a file can hold, with its record's defaults.
template <size_t... I> std::vector<TaskRecord> everyRecord(std::index_sequence<I...>)
{
    return {TaskRecord(std::in_place_index<I>)...};
}

} // namespace

TEST(KindLabels, BlockRowAndSequenceLineKeepTheirOwnSpelling)
{
    const struct {
        TaskKind kind;
        const char *block; // "%d.%s|..." in the printed summary
        const char *line;  // "%d. %s" in the sequence summary
    } expected[] = {
        {TaskSave, "Save", "Save"},
        {TaskPrompt, "Prompt", "Prompt"},
        {TaskReport, "Report", "Consolidated report"},
        {TaskCalibration, "Calibration", "Calibration"},
        {TaskBiasTee, "Bias tee", "BiasTee"},
        {TaskLoad, "Load", "Load"},
        {TaskMeasureMode, "Measure mode", "Measure Mode"},
        {TaskFrequencyDistance, "Frequency / Distance", "Frequency/Distance"},
        {TaskAmplitude, "Amplitude", "Amplitude"},
        {TaskDtf, "Cable", "Cable"},
        {TaskDataPoint, "Data Point", "Data Point"},
        {TaskRfPower, "RF Power", "RF power"},
        {TaskOpticalPower, "Optical Power", "Optical power"},
        {TaskFiber, "Fiber Inspection", "Fiber"},
        {TaskWindowing, "Windowing", "Windowing"},
        {TaskMarkerPeak, "Marker / Peak", "Marker/Peak"},
        {TaskLimit, "Limit", "Limit"},
        {TaskZoomZones, "Zoom zones", "Zoom zones"},
        {TaskHold, "Hold", "Hold"},
        {TaskAutoScale, "Auto scale", "Auto scale"},
        {TaskGeneral, "General", "General"},
    };
    TestingSequence sequence;
    for (TaskRecord &record :
         everyRecord(std::make_index_sequence<std::variant_size_v<TaskRecord>>()))
        sequence.insertStep(-1, std::move(record));
    ASSERT_EQ(sequence.stepCount(), int(std::size(expected)));
    const QStringList lines = sequenceSummaryLines(sequence);
    for (int i = 0; i < sequence.stepCount(); ++i) {
        const auto &e = expected[i];
        const TaskStep &step = *sequence.step(i);
        ASSERT_EQ(step.kind(), e.kind);
        const QString first = summaryStepRows(step, i + 1, 2).first();
        EXPECT_TRUE(first.startsWith(QStringLiteral("%1.%2|").arg(i + 1).arg(e.block)))
            << first.toStdString();
        EXPECT_TRUE(lines[i] == QStringLiteral("%1. %2").arg(i + 1).arg(e.line) ||
                    lines[i].startsWith(QStringLiteral("%1. %2 (").arg(i + 1).arg(e.line)))
            << lines[i].toStdString();
    }
}
