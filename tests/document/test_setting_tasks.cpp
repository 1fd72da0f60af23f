// Measurement-setting steps in wizard files: the hand-written reference wizards
// read into the expected records and reproduced by the writer, round trips of
// every setting kind, and the reader's defaults, code sources and failures.
#include "StepWizards.h"
#include "document/NameTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace stepvane {
namespace {

// --- the reference wizards, in both directions -------------------------------

struct ReferenceWizard {
    const char *file;
    const char *title;
    const char *sequenceTitle;
    int seqEnd;
    std::vector<TaskRecord> records; // as written, and as read back
};

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

void expectRecords(const std::vector<TaskRecord> &read, const std::vector<TaskRecord> &expected)
{
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i)
        EXPECT_TRUE(read[i] == expected[i]) << "kind " << kindOfRecord(expected[i]);
}

TEST(SettingReferenceFiles, ReadIntoTheExpectedRecordsAndReproducedByTheWriter)
{
    const ReferenceWizard refs[] = {
        {"measure_mode.wzd",
         "Measure modes",
         "Modes",
         2,
         {MeasureModeTask{"Through path & jumper", 6}, MeasureModeTask{"Smith", 8},
          MeasureModeTask{"", 11}, MeasureModeTask{"Unknown mode", 15}}},
        {"frequency_distance.wzd",
         "Bands",
         "Ranges",
         2,
         {frequencyDistance("Distances only", 698, 2690.5, 1.5, 120.25, 1, {0, 0, 1, 1, 1}),
          frequencyDistance("Odd unit", 5, 6000, 0, 15, 7, {1, 1, 0, 0, 0})}},
        {"amplitude.wzd",
         "Scale",
         "Amplitude",
         1,
         {AmplitudeTask{"Return loss scale", 10.5, -45.25}}},
        {"general.wzd",
         "General settings",
         "General",
         2,
         {GeneralTask{"Near a broadcast site", 1, "-10", "16"}, GeneralTask{"", 0, "High", ""}}},
        {"data_point.wzd", "Resolution", "Points", 2, {DataPointTask{"Fine trace", 1001}}},
        {"windowing.wzd", "Window", "Windowing", 2, {WindowingTask{"Low side lobes", 3}}},
        {"dtf.wzd",
         "Cables",
         "DTF cable",
         2,
         {DtfTask{"Jumper", 2, 0.8, 0.1234, "LMR-400", 0},
          DtfTask{"Main feeder", 1, 0.88, 0.022, "HFC-12D (1/2')", 1}}},
        {"rf_power.wzd",
         "Power",
         "RF power",
         2,
         {RfPowerTask{"Pulsed radar", 1850, -3.5, 3, 1, 3, -20, 10, -30, 20},
          RfPowerTask{"Unknown modes", 1000, 0, 4, 2, 0, 21, 52, 21, 52}}},
        {"optical_power.wzd",
         "Optics",
         "Optical power",
         2,
         {OpticalPowerTask{"CPRI link", 1, 1550, 10, 0, -25.5}}},
        {"fiber.wzd", "Fiber", "Inspection", 2, {FiberTask{"LC connector", 2, 5}}},
        {"bias_tee.wzd",
         "Bias",
         "Tower amplifier",
         2,
         {BiasTeeTask{"TMA off", 2, 0, 24}, BiasTeeTask{"Unknown mode", 0, 1, 12}}},
    };
    QTemporaryDir dir;
    for (const ReferenceWizard &ref : refs) {
        SCOPED_TRACE(ref.file);
        const QString reference = test::fixture(QStringLiteral("settings/") + ref.file);
        WizardDocument doc;
        ASSERT_EQ(test::readWizard(reference, doc), 1);
        EXPECT_EQ(doc.Title.toStdString(), ref.title);
        EXPECT_EQ(doc.SeqEndOption, ref.seqEnd);
        expectRecords(test::recordsOf(doc), ref.records);

        WizardDocument written =
            test::oneSequence(ref.records, ref.title, ref.sequenceTitle, ref.seqEnd);
        const QString out = dir.filePath(QString::fromLatin1(ref.file));
        ASSERT_TRUE(test::saveWizard(written, out));
        const QByteArray expected = test::normalizedXml(test::readAll(reference));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(test::normalizedXml(test::readAll(out)).toStdString(), expected.toStdString());
    }
}

// --- round trips -------------------------------------------------------------

TEST(SettingTasks, EveryKindSurvivesSaveAndReopen)
{
    const QString text = "Mât \u03c9 & <feed> \"A\"\nsecond line";
    const std::vector<TaskRecord> records = {
        MeasureModeTask{text, 3},
        frequencyDistance(text, 1710.25, 2169.75, 3.5, 88.75, 0, {1, 0, 0, 1, 1}),
        AmplitudeTask{text, -3.75, -80},
        GeneralTask{text, 1, "-5.5", "64"},
        DataPointTask{text, 2001},
        WindowingTask{text, 4},
        DtfTask{text, 2, 0.6543, 0.0071, "RG-213 \u00bd\"", 1},
        RfPowerTask{text, 915.5, 12.25, 2, 3, 4, -7.5, 33.25, -12, 40.5},
        OpticalPowerTask{text, 1, 850, 2, 0, -33.25},
        FiberTask{text, 3, 7},
        BiasTeeTask{text, 2, 0, 18},
    };
    WizardDocument doc = test::oneSequence(records, text, text, 1);
    QTemporaryDir dir;
    const QString path = dir.filePath("roundtrip.wzd");
    ASSERT_TRUE(test::saveWizard(doc, path));
    WizardDocument back;
    ASSERT_EQ(test::readWizard(path, back), 1);
    expectRecords(test::recordsOf(back), records);
}

// --- writer details ----------------------------------------------------------

TEST(SettingTasks, WrittenElementsCarryExactlyTheseAttributes)
{
    const struct {
        const char *name;
        TaskRecord record;
        const char *path; // below the step element
        const char *attributes;
    } cases[] = {
        {"MeasurementBelowTable", MeasureModeTask{"", -1}, "Measurement", "LValue=-1"},
        {"MeasurementAboveTable", MeasureModeTask{"", 12}, "Measurement", "LValue=12"},
        {"MeasurementFirst", MeasureModeTask{"", 0}, "Measurement",
         "DValue=Reflection VSWR;LValue=0"},
        {"MeasurementRfPower", MeasureModeTask{"", 9}, "Measurement", "DValue=RF Power;LValue=9"},
        {"CableLossRounded", DtfTask{"", 1, 0.8, 0.07216, "c", 0}, "Cable_Loss", "DValue=0.0722"},
        {"DtfModeWithoutText", DtfTask{"", 3, 0.8, 0.5, "c", 0}, "Mode", "LValue=3"},
        {"DtfUnitsWithoutText", DtfTask{"", 1, 0.8, 0.5, "c", 2}, "Units", "LValue=2"},
        {"RealsTwoDecimals", AmplitudeTask{"", 12.346, -0.004}, "Top", "DValue=12.35"},
        {"NegativeRealsTwoDecimals", AmplitudeTask{"", 12.345, -7.5}, "Bottom", "DValue=-7.50"},
        // An exact binary tie rounds to even, as C's printf writes it.
        {"TieTwoDecimals", AmplitudeTask{"", 0.625, -7.5}, "Top", "DValue=0.62"},
        {"TieFourDecimals", DtfTask{"", 1, 0.8, 0.03125, "c", 0}, "Cable_Loss", "DValue=0.0312"},
        {"RejectionAnyNonZeroIsOn", GeneralTask{"", 5, "-30", "1"}, "Interference_Rejection",
         "DValue=On"},
        {"RfDisplayAverage", RfPowerTask{"", 1000, 0, 3, 0, 0, 21, 52, 21, 52}, "Display/Mode",
         "DValue=Average;LValue=0"},
        {"RfModelHasOnlyTheIndex", RfPowerTask{"", 1000, 0, 0, 0, 4, 21, 52, 21, 52}, "RF_Model",
         "LValue=4"},
        {"ThresholdOnCarriesFlag", OpticalPowerTask{"", 2, 1310, 5, 3, -10}, "Threshold/On_Off",
         "DValue=On;LValue=3"},
        {"BiasModeAutomation", BiasTeeTask{"", 1, 1, 12}, "Mode", "DValue=Automation;LValue=1"},
        {"CheckOnIsTrueAndOne", frequencyDistance("", 5, 10, 0, 1, 0, {7, 0, 0, 0, 0}),
         "Start_Frequency/Check", "DValue=True;LValue=1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::stepAttributes(test::savedRecords({c.record}), c.path), c.attributes);
    }
}

// --- reader details ----------------------------------------------------------

// Hand-written wizards close their sequence with the instrument's own last step.
const QString kEndOptionStep =
    R"(<Task_Step_Name DValue="End Option"/><Mode DValue="Manual" LValue="2"/>)";

FrequencyDistanceTask frequencyReadingDefaults()
{
    return frequencyDistance("", 5, 4000, 0, 16, 0, {0, 0, 0, 0, 0});
}

TEST(SettingTasks, ReaderDefaultsAndCodeSources)
{
    FrequencyDistanceTask fdPartial = frequencyReadingDefaults();
    fdPartial.Start_Frequency_Check = 1, fdPartial.Stop_Frequency = 2500;
    const struct {
        const char *name;
        const char *body; // from Task_Step_Name on
        TaskRecord expected;
    } cases[] = {
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
        {"DtfDefaultsAreInFeet", R"(<Task_Step_Name DValue="Settings for DTF"/>)",
         DtfTask{"", 1, 0.88, 0.072, "HFC-12D (1/2')", 1}},
        {"RfPowerDefaults", R"(<Task_Step_Name DValue="RF Power settings"/><Limit/><Display/>)",
         RfPowerTask{}},
        {"OpticalWithoutThreshold",
         R"(<Task_Step_Name DValue="Optical Power settings"/><Description DValue="o"/><Wavelength><Mode LValue="1"/><Param DValue="1490" LValue="8"/></Wavelength>)",
         OpticalPowerTask{"o", 1, 1490, 8, 1, -10}},
        {"FiberDefaults", R"(<Task_Step_Name DValue="Fiber settings"/>)", FiberTask{}},
        {"BiasTeeDefaults", R"(<Task_Step_Name DValue="Bias Tee"/><Voltage/>)", BiasTeeTask{}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const auto read = test::readBodies({c.body, kEndOptionStep}, nullptr, &result);
        ASSERT_EQ(result, 1);
        expectRecords(read, {c.expected});
    }
}

// A step the instrument cannot use fails the whole file, not just the step.
TEST(SettingTasks, ABrokenStepFailsTheWholeFile)
{
    const char *broken[] = {
        R"(<Task_Step_Name DValue="General"/><Interference_Rejection DValue="On"/><Average DValue="1"/>)",
        R"(<Task_Step_Name DValue="General"/><OutputPower DValue="-30"/>)",
        R"(<Task_Step_Name DValue="General"/><Interference_Rejection LValue="1"/><OutputPower DValue="-30"/>)",
        R"(<Task_Step_Name DValue="Windowing"/>)",
        R"(<Task_Step_Name DValue="Windowing"/><Param LValue="2"/>)",
    };
    const QString good = QStringLiteral(R"(<Task_Step_Name DValue="Amplitude"/><Top DValue="3"/>)");
    int result = 0;
    test::readBodies({good, kEndOptionStep}, nullptr, &result);
    ASSERT_EQ(result, 1);
    for (const char *body : broken) {
        SCOPED_TRACE(body);
        test::readBodies({good, body, kEndOptionStep}, nullptr, &result);
        EXPECT_EQ(result, 0);
    }
}

// Numbers are read from the UTF-8 text in place; they must read exactly as
// the text converted to a QString reads, blanks of all of Unicode included.
TEST(SettingTasks, NumbersReadInPlaceAsTheirTextReads)
{
    struct Conversions : VX_CAAXML_PARSER {
        using VX_CAAXML_PARSER::leadingInt;
        using VX_CAAXML_PARSER::leadingReal;
        using VX_CAAXML_PARSER::toLeadingInt;
        using VX_CAAXML_PARSER::toLeadingReal;
    };
    const char *texts[] = {
        "12abc", "  -7",        "\u00a07",      "\u2003-7.5", "\u00852",   "+5",      "-",
        "",      "99999999999", "-99999999999", "2147483648", "\t\n9",     "\u00e95", "5\u00e9",
        "0x10",  ".5",          "-.5e2",        "1e400",      "1e-400",    "inf",     "nan",
        "+-3",   " +2.5 ",      "3,5",          "007",        "1\u00a0000"};
    for (const char *text : texts) {
        SCOPED_TRACE(text);
        const QString wide = QString::fromUtf8(text);
        EXPECT_EQ(Conversions::leadingInt(text), Conversions::toLeadingInt(wide));
        const double real = Conversions::leadingReal(text);
        const double reference = Conversions::toLeadingReal(wide);
        EXPECT_TRUE(real == reference || (std::isnan(real) && std::isnan(reference)))
            << real << " " << reference;
    }
    EXPECT_EQ(Conversions::leadingInt(nullptr), 0) << "an attribute without a value";
    EXPECT_EQ(Conversions::leadingReal(nullptr), 0.0);
}

} // namespace
} // namespace stepvane
