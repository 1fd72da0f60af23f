// The wizard document: limits, the record factory, copies and equality.
#include "document/NameTables.h"
#include "document/WizardDocument.h"

#include <gtest/gtest.h>

using namespace stepvane;

TEST(DocumentLimits, SequenceRefusesHundredFirstStepDocumentHundredFirstSequence)
{
    TestingSequence seq;
    for (int i = 0; i < kMaxSteps - 1; ++i)
        ASSERT_NE(seq.insertStep(-1, HoldTask{}), nullptr);
    EXPECT_NE(seq.insertStep(-1, HoldTask{}), nullptr) << "the 100th step is accepted";
    EXPECT_EQ(seq.insertStep(0, HoldTask{}), nullptr) << "the 101st step is refused";
    EXPECT_EQ(seq.stepCount(), kMaxSteps);

    WizardDocument doc;
    for (int i = 0; i < kMaxSequences; ++i)
        ASSERT_NE(doc.appendSequence(), nullptr);
    EXPECT_EQ(doc.appendSequence(), nullptr);
    EXPECT_EQ(doc.sequenceCount(), kMaxSequences);
}

TEST(DocumentModel, ReorderKeepsElementAddresses)
{
    TestingSequence seq;
    TaskStep *a = seq.insertStep(-1, HoldTask{"a"});
    TaskStep *b = seq.insertStep(-1, HoldTask{"b"});
    TaskStep *c = seq.insertStep(-1, HoldTask{"c"});
    ASSERT_TRUE(seq.moveStep(0, 2));
    EXPECT_EQ(seq.step(0), b);
    EXPECT_EQ(seq.step(1), c);
    EXPECT_EQ(seq.step(2), a);
    EXPECT_EQ(a->as<HoldTask>()->Description, "a");
    EXPECT_FALSE(seq.moveStep(0, 3));
}

TEST(DocumentModel, KindFollowsRecordAlternative)
{
    for (TaskKind kind : storableTaskKinds()) {
        const TaskStep step(makeDefaultRecord(kind, 0, 0));
        EXPECT_EQ(step.kind(), kind) << taskStoredName(kind).toStdString();
        EXPECT_EQ(kindFromStoredName(taskStoredName(kind)), kind);
    }
    EXPECT_EQ(storableTaskKinds().size(), 21u);
    EXPECT_FALSE(isStorableKind(TaskScpiCommands));
    EXPECT_FALSE(isStorableKind(TaskConditions));
    EXPECT_EQ(kindFromStoredName("End Option"), TaskUnknown);
    EXPECT_EQ(kindFromStoredName("prompt"), TaskUnknown) << "names match case-sensitively";
}

TEST(RecordFactory, FrequencyDistanceDependsOnModelAndUnit)
{
    const struct {
        int model, unit;
        double start, stop, stopDistance;
    } cases[] = {{0, 0, 100, 2700, 15.0},
                 {1, 0, 5, 4000, 15.0},
                 {2, 1, 5, 4000, 49.2},
                 {3, 1, 5, 6000, 49.2}};
    for (const auto &c : cases) {
        const auto r = std::get<FrequencyDistanceTask>(
            makeDefaultRecord(TaskFrequencyDistance, c.model, c.unit));
        EXPECT_EQ(r.Start_Frequency, c.start) << c.model;
        EXPECT_EQ(r.Stop_Frequency, c.stop) << c.model;
        EXPECT_EQ(r.Stop_Distance, c.stopDistance) << c.model;
        EXPECT_EQ(r.Units, c.unit);
        EXPECT_EQ(r.Start_Frequency_Check, 0);
    }
}

TEST(RecordFactory, DtfLossFollowsUnit)
{
    EXPECT_EQ(std::get<DtfTask>(makeDefaultRecord(TaskDtf, 2, 0)).Cable_Loss, 0.072);
    const auto foot = std::get<DtfTask>(makeDefaultRecord(TaskDtf, 2, 1));
    EXPECT_EQ(foot.Cable_Loss, 0.022);
    EXPECT_EQ(foot.Units, 1);
    EXPECT_EQ(foot.Cable_Name, "HFC-12D (1/2')");
    EXPECT_EQ(std::get<PromptTask>(makeDefaultRecord(TaskPrompt, 0, 0)).images.size(), 10u);
    EXPECT_EQ(std::get<MarkerPeakTask>(makeDefaultRecord(TaskMarkerPeak, 0, 0)).markers.size(), 6u);
}

TEST(DocumentModel, CopiesShareNothingAndCompareDeeply)
{
    WizardDocument doc;
    doc.Title = "Site survey";
    TestingSequence *seq = doc.appendSequence();
    MarkerPeakTask marker;
    marker.images.push_back(AttachedImage{"c", "a.png", "/tmp/a.png", 10, 2, 3});
    TaskStep *step = seq->insertStep(-1, marker);

    WizardDocument copy = doc;
    EXPECT_EQ(copy, doc);
    EXPECT_NE(copy.sequence(0), doc.sequence(0));
    copy.sequence(0)->step(0)->as<MarkerPeakTask>()->images[0].Comment = "changed";
    EXPECT_NE(copy, doc);
    EXPECT_EQ(step->as<MarkerPeakTask>()->images[0].Comment, "c");

    TaskStep clip;
    clip.copyFrom(*step);
    clip.as<MarkerPeakTask>()->images.clear();
    EXPECT_EQ(step->as<MarkerPeakTask>()->images.size(), 1u);
}

TEST(NameTables, ModelsMeasurementsAndTables)
{
    EXPECT_EQ(modelName(0), "VX310A");
    EXPECT_EQ(modelName(3), "VX340A");
    EXPECT_EQ(modelName(4), "Unknown Equipment");
    EXPECT_EQ(modelName(-1), "Unknown Equipment");
    EXPECT_EQ(measurementText(6), "2 Port Transmission");
    EXPECT_EQ(measurementText(8), "Smith Chart");
    EXPECT_EQ(measurementText(11), "Fiber Inspection");
    EXPECT_TRUE(measurementText(12).isEmpty());
    EXPECT_EQ(MeasurementNameTable().size(), 23);
    EXPECT_EQ(LayoutNameTable().at(1), "Dual Horizotal");
    EXPECT_EQ(OutputFormatTable().size(), 11);
    EXPECT_EQ(taskListName(TaskDtf), "Cable");
    EXPECT_EQ(taskGroup(TaskGeneral), TaskGroup::Setting);
}
