// Measurement-setting steps in wizard files: the hand-written reference wizards
// read into the expected records and reproduced by the writer, round trips of
// every setting kind, and the reader's defaults, code sources and failures.
#include "document/NameTables.h"
#include "support/WizardText.h"

#include <gtest/gtest.h>

namespace stepvane {
namespace {

WizardDocument makeDocument(const QString &title, const QString &sequenceTitle, int seqEnd,
                            const std::vector<TaskRecord> &records)
{
    WizardDocument doc;
    doc.Title = title, doc.SeqEndOption = seqEnd;
    TestingSequence *seq = doc.appendSequence();
    seq->Title = sequenceTitle;
    for (const TaskRecord &r : records)
        seq->insertStep(-1, r);
    return doc;
}

// Hand-written wizards close their sequence with the instrument's own last step.
const QString kEndOptionStep =
    QStringLiteral(R"(<Task_Step_Name DValue="End Option"/><Mode DValue="Manual" LValue="2"/>)");

// --- the reference wizards, in both directions -------------------------------

struct ReferenceWizard {
    const char *file;
    const char *title;
    const char *sequenceTitle;
    int seqEnd;
    std::vector<TaskRecord> records; // as written, and as read back
};
void PrintTo(const ReferenceWizard &w, std::ostream *os)
{
    *os << w.file;
}

FrequencyDistanceTask frequencyDistance(const QString &description, double start, double stop,
                                        double startDistance, double stopDistance, int units,
                                        std::array<Flag, 5> checks)
{
    FrequencyDistanceTask r;
    r.Description = description, r.Start_Frequency = start, r.Stop_Frequency = stop;
    r.Center_Frequency = 2002.5, r.Span = 3995; // memory only: the reader's band centre and span
    r.Start_Distance = startDistance, r.Stop_Distance = stopDistance, r.Units = units;
    r.Start_Frequency_Check = checks[0], r.Stop_Frequency_Check = checks[1];
    r.Start_Distance_Check = checks[2], r.Stop_Distance_Check = checks[3];
    r.Alt_DTF_Band_Check = checks[4];
    return r;
}

ReferenceWizard reference(const char *file, const char *title, const char *sequenceTitle,
                          int seqEnd, std::vector<TaskRecord> records)
{
    return {file, title, sequenceTitle, seqEnd, std::move(records)};
}

std::vector<ReferenceWizard> referenceWizards()
{
    return {
        reference("measure_mode.wzd", "Measure modes", "Modes", 2,
                  {MeasureModeTask{"Through path & jumper", 6}, MeasureModeTask{"Smith", 8},
                   MeasureModeTask{"", 11}, MeasureModeTask{"Unknown mode", 15}}),
        reference(
            "frequency_distance.wzd", "Bands", "Ranges", 2,
            {frequencyDistance("Distances only", 698, 2690.5, 1.5, 120.25, 1, {0, 0, 1, 1, 1}),
             frequencyDistance("Odd unit", 5, 6000, 0, 15, 7, {1, 1, 0, 0, 0})}),
        reference("amplitude.wzd", "Scale", "Amplitude", 1,
                  {AmplitudeTask{"Return loss scale", 10.5, -45.25}}),
        reference(
            "general.wzd", "General settings", "General", 2,
            {GeneralTask{"Near a broadcast site", 1, "-10", "16"}, GeneralTask{"", 0, "High", ""}}),
        reference("data_point.wzd", "Resolution", "Points", 2, {DataPointTask{"Fine trace", 1001}}),
        reference("windowing.wzd", "Window", "Windowing", 2, {WindowingTask{"Low side lobes", 3}}),
        reference("dtf.wzd", "Cables", "DTF cable", 2,
                  {DtfTask{"Jumper", 2, 0.8, 0.1234, "LMR-400", 0},
                   DtfTask{"Main feeder", 1, 0.88, 0.022, "HFC-12D (1/2')", 1}}),
        reference("rf_power.wzd", "Power", "RF power", 2,
                  {RfPowerTask{"Pulsed radar", 1850, -3.5, 3, 1, 3, -20, 10, -30, 20},
                   RfPowerTask{"Unknown modes", 1000, 0, 4, 2, 0, 21, 52, 21, 52}}),
        reference("optical_power.wzd", "Optics", "Optical power", 2,
                  {OpticalPowerTask{"CPRI link", 1, 1550, 10, 0, -25.5}}),
        reference("fiber.wzd", "Fiber", "Inspection", 2, {FiberTask{"LC connector", 2, 5}}),
        reference("bias_tee.wzd", "Bias", "Tower amplifier", 2,
                  {BiasTeeTask{"TMA off", 2, 0, 24}, BiasTeeTask{"Unknown mode", 0, 1, 12}}),
    };
}

class SettingReferenceFiles : public ::testing::TestWithParam<ReferenceWizard> {};

TEST_P(SettingReferenceFiles, ReadIntoTheExpectedRecords)
{
    const ReferenceWizard &ref = GetParam();
    WizardDocument doc;
    ASSERT_EQ(test::readWizard(test::fixture(QStringLiteral("settings/") + ref.file), doc), 1);
    EXPECT_EQ(doc.Title.toStdString(), ref.title);
    EXPECT_EQ(doc.SeqEndOption, ref.seqEnd);
    const std::vector<TaskRecord> read = test::recordsOf(doc);
    ASSERT_EQ(read.size(), ref.records.size());
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_TRUE(read[i] == ref.records[i]) << "step " << i;
}

TEST_P(SettingReferenceFiles, WriterReproducesTheFile)
{
    const ReferenceWizard &ref = GetParam();
    WizardDocument doc =
        makeDocument(QString::fromUtf8(ref.title), QString::fromUtf8(ref.sequenceTitle), ref.seqEnd,
                     ref.records);
    QTemporaryDir dir;
    const QString out = dir.filePath(QString::fromLatin1(ref.file));
    ASSERT_TRUE(test::saveWizard(doc, out));
    const QByteArray expected =
        test::normalizedXml(test::readAll(test::fixture(QStringLiteral("settings/") + ref.file)));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(test::normalizedXml(test::readAll(out)).toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SettingReferenceFiles, ::testing::ValuesIn(referenceWizards()),
                         [](const auto &info) {
                             QString name = QString::fromLatin1(info.param.file);
                             name.chop(4);
                             return name.toStdString();
                         });

// --- round trips -------------------------------------------------------------

TEST(SettingTasks, EveryKindSurvivesSaveAndReopen)
{
    const QString text = QStringLiteral("Mât \u03c9 & <feed> \"A\"\nsecond line");
    FrequencyDistanceTask fd =
        frequencyDistance(text, 1710.25, 2169.75, 3.5, 88.75, 0, {1, 0, 0, 1, 1});
    const std::vector<TaskRecord> records = {
        MeasureModeTask{text, 3},
        fd,
        AmplitudeTask{text, -3.75, -80},
        GeneralTask{text, 1, QStringLiteral("-5.5"), QStringLiteral("64")},
        DataPointTask{text, 2001},
        WindowingTask{text, 4},
        DtfTask{text, 2, 0.6543, 0.0071, QStringLiteral("RG-213 \u00bd\""), 1},
        RfPowerTask{text, 915.5, 12.25, 2, 3, 4, -7.5, 33.25, -12, 40.5},
        OpticalPowerTask{text, 1, 850, 2, 0, -33.25},
        FiberTask{text, 3, 7},
        BiasTeeTask{text, 2, 0, 18},
    };
    WizardDocument doc = makeDocument(text, text, 1, records);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("roundtrip.wzd"));
    ASSERT_TRUE(test::saveWizard(doc, path));

    WizardDocument back;
    ASSERT_EQ(test::readWizard(path, back), 1);
    const std::vector<TaskRecord> read = test::recordsOf(back);
    ASSERT_EQ(read.size(), records.size());
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_TRUE(read[i] == records[i]) << "kind " << kindOfRecord(records[i]);
}

// --- writer details ----------------------------------------------------------

struct WrittenValue {
    const char *name;
    TaskRecord record;
    const char *path; // below the step element
    const char *attributes;
};
void PrintTo(const WrittenValue &c, std::ostream *os)
{
    *os << c.name;
}

class SettingWriterValues : public ::testing::TestWithParam<WrittenValue> {};

TEST_P(SettingWriterValues, ElementCarriesExactlyTheseAttributes)
{
    const WrittenValue &c = GetParam();
    WizardDocument doc = makeDocument("t", "s", 2, {c.record});
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("w.wzd"));
    ASSERT_TRUE(test::saveWizard(doc, path));
    EXPECT_EQ(test::stepAttributes(path, QLatin1String(c.path)), c.attributes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingWriterValues,
    ::testing::Values(
        WrittenValue{"MeasurementBelowTable", MeasureModeTask{"", -1}, "Measurement", "LValue=-1"},
        WrittenValue{"MeasurementAboveTable", MeasureModeTask{"", 12}, "Measurement", "LValue=12"},
        WrittenValue{"MeasurementFirst", MeasureModeTask{"", 0}, "Measurement",
                     "DValue=Reflection VSWR;LValue=0"},
        WrittenValue{"MeasurementRfPower", MeasureModeTask{"", 9}, "Measurement",
                     "DValue=RF Power;LValue=9"},
        WrittenValue{"CableLossRounded", DtfTask{"", 1, 0.8, 0.07216, "c", 0}, "Cable_Loss",
                     "DValue=0.0722"},
        WrittenValue{"DtfModeWithoutText", DtfTask{"", 3, 0.8, 0.5, "c", 0}, "Mode", "LValue=3"},
        WrittenValue{"DtfUnitsWithoutText", DtfTask{"", 1, 0.8, 0.5, "c", 2}, "Units", "LValue=2"},
        WrittenValue{"RealsTwoDecimals", AmplitudeTask{"", 12.346, -0.004}, "Top", "DValue=12.35"},
        WrittenValue{"NegativeRealsTwoDecimals", AmplitudeTask{"", 12.345, -7.5}, "Bottom",
                     "DValue=-7.50"},
        // An exact binary tie rounds to even, as C's printf writes it.
        WrittenValue{"TieTwoDecimals", AmplitudeTask{"", 0.625, -7.5}, "Top", "DValue=0.62"},
        WrittenValue{"TieFourDecimals", DtfTask{"", 1, 0.8, 0.03125, "c", 0}, "Cable_Loss",
                     "DValue=0.0312"},
        WrittenValue{"RejectionAnyNonZeroIsOn", GeneralTask{"", 5, "-30", "1"},
                     "Interference_Rejection", "DValue=On"},
        WrittenValue{"RfDisplayAverage", RfPowerTask{"", 1000, 0, 3, 0, 0, 21, 52, 21, 52},
                     "Display/Mode", "DValue=Average;LValue=0"},
        WrittenValue{"RfModelHasOnlyTheIndex", RfPowerTask{"", 1000, 0, 0, 0, 4, 21, 52, 21, 52},
                     "RF_Model", "LValue=4"},
        WrittenValue{"ThresholdOnCarriesFlag", OpticalPowerTask{"", 2, 1310, 5, 3, -10},
                     "Threshold/On_Off", "DValue=On;LValue=3"},
        WrittenValue{"BiasModeAutomation", BiasTeeTask{"", 1, 1, 12}, "Mode",
                     "DValue=Automation;LValue=1"},
        WrittenValue{"CheckOnIsTrueAndOne", frequencyDistance("", 5, 10, 0, 1, 0, {7, 0, 0, 0, 0}),
                     "Start_Frequency/Check", "DValue=True;LValue=1"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- reader details ----------------------------------------------------------

struct ReadCase {
    const char *name;
    const char *body; // from Task_Step_Name on
    TaskRecord expected;
};
void PrintTo(const ReadCase &c, std::ostream *os)
{
    *os << c.name;
}

FrequencyDistanceTask frequencyReadingDefaults()
{
    return frequencyDistance("", 5, 4000, 0, 16, 0, {0, 0, 0, 0, 0});
}

std::vector<ReadCase> readCases()
{
    FrequencyDistanceTask fdPartial = frequencyReadingDefaults();
    fdPartial.Start_Frequency_Check = 1, fdPartial.Stop_Frequency = 2500;
    DtfTask dtfDefaults{"", 1, 0.88, 0.072, "HFC-12D (1/2')", 1};
    OpticalPowerTask opticalNoThreshold{"o", 1, 1490, 8, 1, -10};
    return {
        {"MeasureModeDefaults", R"(<Task_Step_Name DValue="Measure_Mode"/>)", MeasureModeTask{}},
        {"MeasurementFromCodeNotText",
         R"(<Task_Step_Name DValue="Measure_Mode"/><Measurement DValue="Smith Chart" LValue="3"/>)",
         MeasureModeTask{"", 3}},
        {"FrequencyDefaults", R"(<Task_Step_Name DValue="Frequency_Distance"/>)",
         frequencyReadingDefaults()},
        {"FrequencyPartialGroups",
         R"(<Task_Step_Name DValue="Frequency_Distance"/><Start_Frequency><Check LValue="1"/></Start_Frequency><Stop_Frequency><Param DValue="2500"/></Stop_Frequency>)",
         fdPartial},
        {"UnitsFromCodeNotText",
         R"(<Task_Step_Name DValue="Frequency_Distance"/><Units DValue="Foot" LValue="0"/>)",
         frequencyReadingDefaults()},
        {"AmplitudeDefaults", R"(<Task_Step_Name DValue="Amplitude"/><Description DValue="a"/>)",
         AmplitudeTask{"a", 65, 1}},
        {"RejectionLowerCaseIsOff",
         R"(<Task_Step_Name DValue="General"/><Interference_Rejection DValue="on"/><OutputPower DValue="-20"/>)",
         GeneralTask{"", 0, "-20", "1"}},
        {"RejectionPaddedIsOff",
         R"(<Task_Step_Name DValue="General"/><Interference_Rejection DValue="On " LValue="1"/><OutputPower DValue="0"/><Average DValue="8"/>)",
         GeneralTask{"", 0, "0", "8"}},
        {"DataPointDefault", R"(<Task_Step_Name DValue="Data Point"/><Description DValue="d"/>)",
         DataPointTask{"d", 501}},
        {"DataPointLeadingDigits",
         R"(<Task_Step_Name DValue="Data Point"/><Param DValue="1001pts"/>)",
         DataPointTask{"", 1001}},
        {"DtfDefaultsAreInFeet", R"(<Task_Step_Name DValue="Settings for DTF"/>)", dtfDefaults},
        {"RfPowerDefaults", R"(<Task_Step_Name DValue="RF Power settings"/><Limit/><Display/>)",
         RfPowerTask{}},
        {"OpticalWithoutThreshold",
         R"(<Task_Step_Name DValue="Optical Power settings"/><Description DValue="o"/><Wavelength><Mode LValue="1"/><Param DValue="1490" LValue="8"/></Wavelength>)",
         opticalNoThreshold},
        {"FiberDefaults", R"(<Task_Step_Name DValue="Fiber settings"/>)", FiberTask{}},
        {"BiasTeeDefaults", R"(<Task_Step_Name DValue="Bias Tee"/><Voltage/>)", BiasTeeTask{}},
    };
}

class SettingReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingReader, ReadsTheExpectedRecord)
{
    const ReadCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.wzd"));
    ASSERT_TRUE(
        test::writeAll(path, test::wizardAround({QString::fromUtf8(c.body), kEndOptionStep})));
    WizardDocument doc;
    ASSERT_EQ(test::readWizard(path, doc), 1);
    const std::vector<TaskRecord> read = test::recordsOf(doc);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_TRUE(read[0] == c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingReader, ::testing::ValuesIn(readCases()),
                         [](const auto &info) { return std::string(info.param.name); });

// A step the instrument cannot use fails the whole file, not just the step.
struct BrokenStep {
    const char *name;
    const char *body;
};
void PrintTo(const BrokenStep &c, std::ostream *os)
{
    *os << c.name;
}

class SettingReaderFailure : public ::testing::TestWithParam<BrokenStep> {};

TEST_P(SettingReaderFailure, FailsTheWholeFile)
{
    const BrokenStep &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.wzd"));
    const QString good = QStringLiteral(R"(<Task_Step_Name DValue="Amplitude"/><Top DValue="3"/>)");
    ASSERT_TRUE(test::writeAll(
        path, test::wizardAround({good, QString::fromUtf8(c.body), kEndOptionStep})));
    WizardDocument doc;
    EXPECT_EQ(test::readWizard(path, doc), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingReaderFailure,
    ::testing::Values(
        BrokenStep{
            "GeneralWithoutOutputPower",
            R"(<Task_Step_Name DValue="General"/><Interference_Rejection DValue="On"/><Average DValue="1"/>)"},
        BrokenStep{"GeneralWithoutRejection",
                   R"(<Task_Step_Name DValue="General"/><OutputPower DValue="-30"/>)"},
        BrokenStep{
            "GeneralRejectionWithoutValue",
            R"(<Task_Step_Name DValue="General"/><Interference_Rejection LValue="1"/><OutputPower DValue="-30"/>)"},
        BrokenStep{"WindowingWithoutParam", R"(<Task_Step_Name DValue="Windowing"/>)"},
        BrokenStep{"WindowingParamWithoutValue",
                   R"(<Task_Step_Name DValue="Windowing"/><Param LValue="2"/>)"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace stepvane
