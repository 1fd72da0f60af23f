// The wizard check: one mistake gives exactly its finding; a new step of any
// kind on any model gives none; the header and the sequences.
#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "review/check/WizardCheck.h"

#include "support/QStringPrint.h"

#include <gtest/gtest.h>

#include <functional>

using namespace stepvane;

namespace stepvane {
void PrintTo(const Finding &f, std::ostream *os)
{
    *os << (f.severity == Severity::Error ? "error" : "warning") << " @" << f.sequence << '/'
        << f.step << " [" << f.field.toStdString() << "] " << f.message.toStdString();
}
} // namespace stepvane

namespace {

// A wizard "Tower" with one sequence "Sweep" holding the step.
WizardDocument wizardWith(TaskRecord record)
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    s->insertStep(-1, std::move(record));
    return doc;
}

std::vector<Finding> check(const WizardDocument &doc, int model)
{
    CheckOptions options;
    options.model = model;
    return checkWizard(doc, options);
}

template <typename R> TaskRecord edited(int model, std::function<void(R &)> edit)
{
    R r = std::get<R>(makeDefaultRecord(kindOfRecord(R{}), model, kDistanceMeter));
    edit(r);
    return r;
}

struct MistakeCase {
    const char *name;
    int model;
    TaskRecord record;
    const char *field;
    Severity severity = Severity::Error;
    const char *message = nullptr; // the whole sentence, where the case pins it
};

} // namespace

TEST(WizardCheck, EveryNewStepOnEveryModelIsClean)
{
    for (int model = 0; model < kModelCount; ++model)
        for (int unit : {kDistanceMeter, kDistanceFoot})
            for (TaskKind kind : storableTaskKinds()) {
                const auto findings =
                    check(wizardWith(makeDefaultRecord(kind, model, unit)), model);
                if (kind == TaskBiasTee && !modelFacts(model).biasTee) {
                    // The palette does not offer it there; a file may still carry one.
                    ASSERT_EQ(findings.size(), 1u);
                    EXPECT_EQ(findings[0].message, "The " + modelName(model) + " has no bias tee.");
                    continue;
                }
                EXPECT_TRUE(findings.empty())
                    << modelName(model).toStdString() << " " << taskListName(kind).toStdString()
                    << ": " << ::testing::PrintToString(findings);
            }
}

TEST(WizardCheck, OneMistakeGivesExactlyItsFinding)
{
    using E = Severity;
    const MistakeCase cases[] = {
        {"start frequency above the model", 0,
         edited<FrequencyDistanceTask>(
             0, [](auto &r) { r.Start_Frequency = 3000, r.Start_Frequency_Check = 1; }),
         "Start_Frequency", E::Error,
         "The start frequency 3000 MHz lies outside what the VX310A accepts (100 MHz - 2.7 GHz)."},
        {"start above stop", 2,
         edited<FrequencyDistanceTask>(2,
                                       [](auto &r) {
                                           r.Start_Frequency = 900, r.Stop_Frequency = 800;
                                           r.Start_Frequency_Check = r.Stop_Frequency_Check = 1;
                                       }),
         "Start_Frequency"},
        {"stop distance in feet", 2,
         edited<FrequencyDistanceTask>(
             2, [](auto &r) { r.Units = 1, r.Stop_Distance = 5000, r.Stop_Distance_Check = 1; }),
         "Stop_Distance"},
        {"top not above bottom", 2, edited<AmplitudeTask>(2, [](auto &r) { r.Top = 1; }), "Top"},
        {"two-port mode on VX320A", 1,
         edited<MeasureModeTask>(1, [](auto &r) { r.Measurement = MeasureTwoPortPhase; }),
         "Measurement"},
        {"unknown measurement code", 3,
         edited<MeasureModeTask>(3, [](auto &r) { r.Measurement = 12; }), "Measurement"},
        {"output power on VX310A", 0, edited<GeneralTask>(0, [](auto &r) { r.OutputPower = "0"; }),
         "OutputPower", E::Warning},
        {"average out of range", 3, edited<GeneralTask>(3, [](auto &r) { r.Average = "9"; }),
         "Average"},
        {"data points", 2, edited<DataPointTask>(2, [](auto &r) { r.Param = 500; }), "Param"},
        {"window shape", 2, edited<WindowingTask>(2, [](auto &r) { r.Param = 5; }), "Param"},
        {"cable loss", 2, edited<DtfTask>(2, [](auto &r) { r.Cable_Loss = 2.5; }), "Cable_Loss",
         E::Error, "The cable loss 2.5 lies outside what the VX330A accepts (0 to 2)."},
        {"cable velocity", 2, edited<DtfTask>(2, [](auto &r) { r.Propagation_Velocity = 1.2; }),
         "Propagation_Velocity"},
        {"sensor without the mode", 2,
         edited<RfPowerTask>(2, [](auto &r) { r.RF_Model = 1, r.Display_Mode = RfPeak; }),
         "Display_Mode"},
        {"VSWR scale", 2,
         edited<RfPowerTask>(
             2, [](auto &r) { r.Limit_Mode = RfVswr, r.Limit_Minimum = 1, r.Limit_Maximum = 70; }),
         "Limit_Maximum"},
        {"RF minimum above maximum", 2,
         edited<RfPowerTask>(2, [](auto &r) { r.Display_Minimum = 60; }), "Display_Maximum"},
        {"wavelength position", 2,
         edited<OpticalPowerTask>(2, [](auto &r) { r.Wavelength_Param_LValue = 2; }),
         "Wavelength_Param"},
        {"fiber tip", 2, edited<FiberTask>(2, [](auto &r) { r.Profile = 1, r.Tip = 2; }), "Tip"},
        {"bias voltage", 3, edited<BiasTeeTask>(3, [](auto &r) { r.Voltage_Param = 40; }),
         "Voltage_Param"},
        {"save saves nothing", 2, edited<SaveTask>(2, [](auto &r) { r.Trace_Check = 0; }),
         "Trace_Check"},
        {"unknown trace format", 2, edited<SaveTask>(2, [](auto &r) { r.Trace_Format = 11; }),
         "Trace_Format"},
        {"tag too long", 2, edited<ReportTask>(2, [](auto &r) { r.Sector = QString(512, u'x'); }),
         "Sector"},
        {"prompt comment too long", 2,
         edited<PromptTask>(2, [](auto &r) { r.images[4].Comment = QString(91, u'c'); }),
         "ImageNum_4"},
        {"prompt delay", 2,
         edited<PromptTask>(2, [](auto &r) { r.Move_forward_Mode = 1, r.DelayTime = 601; }),
         "DelayTime"},
        {"load from PC without a file", 2, edited<LoadTask>(2, [](auto &r) { r.Mode = 2; }),
         "SetupfileName"},
        {"marker condition on an unset marker", 2,
         edited<MarkerPeakTask>(2,
                                [](auto &r) {
                                    r.markers[0] = {1, 1, 0, 1, 100};
                                    r.Condition_Check = 1, r.MarkerName = 2,
                                    r.Threshold_Fail = "-20";
                                }),
         "Condition/MarkerName"},
        {"marker X value", 2,
         edited<MarkerPeakTask>(2,
                                [](auto &r) {
                                    r.markers[5] = {6, 1, 0, 0, 7000};
                                }),
         "Num6/X_Value"},
        {"two rows set one marker", 2,
         edited<MarkerPeakTask>(2,
                                [](auto &r) {
                                    r.markers[0] = {2, 1, 0, 0, 0}, r.markers[3] = {2, 2, 0, 0, 0};
                                }),
         "Num4/Name", E::Warning},
        {"eleven condition pictures", 2,
         edited<MarkerPeakTask>(2, [](auto &r) { r.images.resize(11); }), "Condition"},
        {"mask mode without a mask", 2, edited<LimitTask>(2, [](auto &r) { r.SelectMode = 0; }),
         "MSL"},
        {"limit value", 2,
         edited<LimitTask>(2, [](auto &r) { r.Limit_Line_On_Off = 1, r.Move_Limit = 70; }),
         "Limit_Line/Move_Limit"},
        {"empty fail list", 2, edited<LimitTask>(2, [](auto &r) { r.Condition_Check = 1; }),
         "Condition", E::Warning},
        {"zone outside VX310A", 0,
         edited<ZoomZonesTask>(0,
                               [](auto &r) { r.Zone3_Check = 1, r.Zone3_Start_Frequency = 2000; }),
         "Zone3/Stop_Frequency"},
        {"file name the instrument cannot hold", 2,
         edited<SaveTask>(2, [](auto &r) { r.BaseFileName = "site:1"; }), "BaseFileName"},
        {"report folder ending in a dot", 2,
         edited<ReportTask>(2, [](auto &r) { r.BaseFolderName = "Tower7/run."; }),
         "BaseFolderName"},
        {"zone without a span", 2,
         edited<ZoomZonesTask>(2,
                               [](auto &r) {
                                   r.Zone2_Check = 1;
                                   r.Zone2_Start_Frequency = r.Zone2_Stop_Frequency = 1700;
                               }),
         "Zone2/Stop_Frequency", E::Warning},
        {"description too long", 2,
         edited<HoldTask>(2, [](auto &r) { r.Description = QString(257, u'd'); }), "Description"},
    };
    for (const MistakeCase &c : cases) {
        const auto findings = check(wizardWith(c.record), c.model);
        ASSERT_EQ(findings.size(), 1u) << c.name << ": " << ::testing::PrintToString(findings);
        const Finding &f = findings[0];
        EXPECT_EQ(f.severity, c.severity) << c.name;
        EXPECT_EQ(f.sequence, 0) << c.name;
        EXPECT_EQ(f.step, 0) << c.name;
        EXPECT_EQ(f.field, QString::fromLatin1(c.field)) << c.name;
        if (c.message)
            EXPECT_EQ(f.message, QString::fromUtf8(c.message)) << c.name;
        else
            EXPECT_FALSE(f.message.isEmpty()) << c.name;
    }
}

TEST(WizardCheck, AmplitudeFollowsTheModeSetBeforeIt)
{
    WizardDocument doc = wizardWith(MeasureModeTask{QString(), MeasureReflectionReturnLoss});
    doc.sequence(0)->insertStep(-1, AmplitudeTask{}); // 65 over 1: a VSWR scale
    const auto findings = check(doc, 2);
    ASSERT_EQ(findings.size(), 2u) << ::testing::PrintToString(findings);
    EXPECT_EQ(findings[0].severity, Severity::Warning);
    EXPECT_EQ(findings[0].step, 1);
    EXPECT_EQ(findings[0].message,
              "Top 65 lies outside the Reflection Return Loss scale the VX330A "
              "takes for Top (-59.9 to 0.0).");
    // A load step brings its own mode: nothing is known after it.
    doc.sequence(0)->insertStep(1, LoadTask{});
    EXPECT_TRUE(check(doc, 2).empty());
}

TEST(WizardCheck, HeaderAndSequences)
{
    WizardDocument doc;
    doc.SeqEndOption = 3;
    auto findings = check(doc, 1);
    ASSERT_EQ(findings.size(), 3u) << ::testing::PrintToString(findings);
    EXPECT_EQ(findings[0],
              (Finding{Severity::Error, -1, -1, "", "The wizard has no testing sequences."}));
    EXPECT_EQ(findings[1],
              (Finding{Severity::Warning, -1, -1, "Title", "The wizard has no title."}));
    EXPECT_EQ(findings[2].field, "SeqEndOption");

    doc = wizardWith(HoldTask{});
    doc.appendSequence()->Title = "Empty";
    findings = check(doc, 1);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0], (Finding{Severity::Warning, 1, -1, "", "The sequence has no steps."}));
    EXPECT_EQ(findingsAsText(findings, doc),
              QStringList{"warning: sequence 2 \"Empty\": The sequence has no steps."});
    EXPECT_EQ(findingsTally(findings), "no errors, 1 warning");

    // A testing unit has no wizard header to check.
    WizardDocument unit = wizardWith(HoldTask{});
    unit.Title.clear();
    CheckOptions options;
    options.testingUnit = true;
    EXPECT_TRUE(checkWizard(unit, options).empty());
}
