// The wizard document: limits, the record factory, copies and equality. The
// per-model and per-unit table: every help text says what the bounds beside
// it enforce, each model offers what its instrument has, and unknown indices
// get a clear answer.
#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "document/WizardDocument.h"

#include <QRegularExpression>

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

namespace {

// "100 MHz - 2.7 GHz" in MHz.
Bounds frequencyFromHelp(const QString &help)
{
    static const QRegularExpression re(R"(^([\d.]+) (MHz|GHz) - ([\d.]+) (MHz|GHz)$)");
    const auto m = re.match(help);
    if (!m.hasMatch())
        return {-1, -1};
    const auto mhz = [&](int n) {
        return m.captured(n).toDouble() * (m.captured(n + 1) == "GHz" ? 1000 : 1);
    };
    return {mhz(1), mhz(3)};
}

// "-59.9 to 0.0", "0 - 1499 m": the two numbers of a range text.
Bounds rangeFromText(const QString &text)
{
    static const QRegularExpression re(R"(^(-?[\d.]+) (?:to|-) (-?[\d.]+)(?: \w+)?$)");
    const auto m = re.match(text);
    return m.hasMatch() ? Bounds{m.captured(1).toDouble(), m.captured(2).toDouble()}
                        : Bounds{-1, -1};
}

} // namespace

TEST(ModelTable, FrequencyHelpMatchesBoundsAndModelsDifferAsTheInstrumentsDo)
{
    for (int model = 0; model < kModelCount; ++model) {
        const ModelFacts *facts = findModelFacts(model);
        ASSERT_NE(facts, nullptr);
        EXPECT_EQ(frequencyFromHelp(facts->frequencyHelp), facts->frequency) << model;
        for (int code = 0; code < kMeasurementCount; ++code) {
            const bool twoPort = code == MeasureTwoPortTransmission || code == MeasureTwoPortPhase;
            EXPECT_EQ(modelHasMeasurement(model, code), !twoPort || model >= 2)
                << modelName(model).toStdString() << " measurement " << code;
        }
        EXPECT_EQ(facts->outputPowerAndAverage, model >= 2);
    }
    EXPECT_EQ(modelFacts(0).frequency, (Bounds{100, 2700}));
    EXPECT_EQ(modelFacts(3).frequency, (Bounds{5, 6000}));
}

TEST(ModelTable, UnknownIndicesAreAnsweredNotGuessed)
{
    for (int model : {-1, kUnknownModel, 99}) {
        EXPECT_EQ(findModelFacts(model), nullptr);
        EXPECT_EQ(&modelFacts(model), &modelFacts(1)) << "the factory's fallback";
        EXPECT_TRUE(amplitudeScales(model).empty());
        EXPECT_FALSE(modelHasMeasurement(model, MeasureReflectionVswr));
    }
    EXPECT_FALSE(modelHasMeasurement(2, kMeasurementCount));
    EXPECT_FALSE(modelHasMeasurement(2, -1));
    EXPECT_EQ(rfSensorModes(7), rfSensorModes(0)) << "an unknown sensor is sensor 0";
    EXPECT_TRUE(rfModeName(4).isEmpty());
}

TEST(ModelTable, DistanceHelpMatchesBoundsInBothUnits)
{
    for (int unit : {0, 1}) {
        const DistanceFacts &d = distanceFacts(unit);
        EXPECT_EQ(rangeFromText(d.startHelp), d.start) << unit;
        EXPECT_EQ(rangeFromText(d.stopHelp), d.stop) << unit;
        EXPECT_TRUE(d.startHelp.endsWith(" " + d.unitLabel));
        EXPECT_TRUE(d.stop.contains(d.newStopDistance));
        EXPECT_TRUE(kCableLossBounds.contains(d.newCableLoss));
        EXPECT_GE(d.stop.upper - d.start.upper, kDistanceGap);
    }
    // The foot table is the metre table converted the way the unit switch converts.
    const DistanceFacts &m = distanceFacts(0), &ft = distanceFacts(1);
    EXPECT_NEAR(m.start.upper * kFeetPerMetre, ft.start.upper, 1e-9);
    EXPECT_NEAR(m.stop.upper * kFeetPerMetre, ft.stop.upper, 1e-9);
    EXPECT_NEAR(m.newStopDistance * kFeetPerMetre, ft.newStopDistance, 1e-9);
    EXPECT_EQ(&distanceFacts(2), &ft) << "any unit but Meter is Foot";
}

TEST(ModelTable, AmplitudeRowsMatchTheirTextsAndFollowTheModel)
{
    for (int model = 0; model < kModelCount; ++model) {
        const auto rows = amplitudeScales(model);
        EXPECT_EQ(rows.size(), model >= 2 ? 8u : 6u) << model;
        for (const AmplitudeScale &row : rows) {
            EXPECT_EQ(rangeFromText(row.topText), row.top) << row.mode.toStdString();
            EXPECT_EQ(rangeFromText(row.bottomText), row.bottom) << row.mode.toStdString();
            EXPECT_EQ(row.mode, measurementText(row.measurement));
            EXPECT_TRUE(modelHasMeasurement(model, row.measurement));
            EXPECT_LT(row.bottom.lower, row.top.lower) << "Top sits above Bottom";
            EXPECT_TRUE(kAmplitudeBounds.contains(row.top.upper));
            EXPECT_TRUE(kAmplitudeBounds.contains(row.bottom.lower));
        }
    }
    EXPECT_EQ(amplitudeScale(0, MeasurePhase)->top, (Bounds{-179.9, 180}));
    EXPECT_EQ(amplitudeScale(3, MeasurePhase)->top, (Bounds{-179, 180}));
    EXPECT_FALSE(amplitudeScale(1, MeasureTwoPortPhase).has_value());
    EXPECT_FALSE(amplitudeScale(2, MeasureSmithChart).has_value());
}

TEST(ModelTable, RfSensorsOfferTheirModesAndScalesResetInsideTheirBounds)
{
    const std::vector<std::vector<int>> expected = {{RfAverage, RfPeak, RfVswr, RfPulse},
                                                    {RfAverage},
                                                    {RfAverage, RfPeak, RfVswr},
                                                    {RfPeak},
                                                    {RfAverage, RfPeak, RfPulse}};
    ASSERT_EQ(rfSensorModels().size(), int(expected.size()));
    for (int sensor = 0; sensor < int(expected.size()); ++sensor)
        EXPECT_EQ(rfSensorModes(sensor), expected[size_t(sensor)]) << sensor;
    for (int mode : {RfAverage, RfPeak, RfVswr, RfPulse}) {
        const RfScale &s = rfScale(mode);
        EXPECT_TRUE(s.minimum.contains(s.newMinimum)) << mode;
        EXPECT_TRUE(s.maximum.contains(s.newMaximum)) << mode;
        EXPECT_GE(s.newMaximum - s.newMinimum, kRfScaleGap);
        EXPECT_EQ(s.maximum.lower - s.minimum.lower, kRfScaleGap);
        EXPECT_EQ(s.unit, mode == RfVswr ? ":1" : "dBm");
    }
}

TEST(ModelTable, FiberTipsFollowTheProfile)
{
    ASSERT_EQ(fiberProfiles().size(), 6);
    for (int profile = 0; profile < fiberProfiles().size(); ++profile) {
        const bool ribbon = fiberProfiles().at(profile).startsWith("Ribbon");
        EXPECT_EQ(fiberTips(profile).first(), ribbon ? "Ribbon Tips" : "Standard Tips (with RKA2)")
            << profile;
    }
    EXPECT_EQ(opticalWavelengths().at(5), 1310) << "a new optical step's position";
}
