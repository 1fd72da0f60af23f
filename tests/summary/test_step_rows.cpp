// Rows of one step block in the printed summary, every kind in its main
// variants, written out from the documented row formats; and each kind's line
// in the sequence summary, spelled as printed there (the block rows spell
// some kinds otherwise), with the step's description where the kind shows one.
#include "summary/SummaryRows.h"

#include <QMap>

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

struct RowCase {
    const char *name;
    TaskRecord record;
    int n;
    QStringList expected;
    int model;
};

AttachedImage picture(const QString &comment, const QString &name, Size size)
{
    return AttachedImage{comment, name, QString(), size, 0, 0};
}

SaveTask fullSave()
{
    SaveTask r;
    r.Description = "store", r.Result_Prev = 1, r.Storage = 2, r.BaseFileName = "site";
    r.BaseFolderName = "jobs", r.Trace_Check = 1, r.Trace_Format = 2, r.Report_Check = 3;
    r.Report_Format = 6, r.Screen_Check = 4, r.ColorInversion = 7, r.MarkerReadings = 10;
    r.WorkOrderID = "WO-7", r.Termination = "50R", r.Company_Check = 1, r.Company_Name = "Vexmar";
    r.Address_Check = 0, r.Address_Name = "not printed";
    r.logo = picture({}, "logo.png", 120);
    r.TestPurpose_Check = 1, r.TestPurpose_Name = "acceptance", r.Remark_Check = 1;
    r.Remark_Name = "none";
    return r;
}

QStringList promptCommentRows(const QStringList &comments, const QMap<int, QString> &pictures)
{
    QStringList rows{" |<Prompts>"};
    for (int i = 0; i < 10; ++i) {
        rows << QString(" |               %1. Comment : %2").arg(i + 1).arg(comments.value(i));
        if (pictures.contains(i))
            rows << " |                  Image file : " + pictures[i];
    }
    return rows;
}

FrequencyDistanceTask freq(bool start, bool stop, int units)
{
    FrequencyDistanceTask r;
    r.Description = "band", r.Start_Frequency = 700, r.Stop_Frequency = 2600.5;
    r.Start_Frequency_Check = start, r.Stop_Frequency_Check = stop, r.Start_Distance = 1.5;
    r.Stop_Distance = 30, r.Stop_Distance_Check = 1, r.Units = units;
    return r;
}

MarkerPeakTask markers()
{
    MarkerPeakTask r;
    r.Description = "peaks";
    r.markers[0] = {1, 1, 0, 1, 850.5};
    r.markers[1] = {2, 0, 0, 1, 1.0}; // type Off: no row
    r.markers[3] = {4, 3, 1, 5, -3.25};
    r.markers[4] = {5, 2, 0, 9, 2.0}; // search mode outside the list: no row
    r.markers[5] = {9, 1, 0, 0, 0.0}; // name outside the list: no row
    r.Condition_Check = 1, r.MarkerName = 3, r.Equality_sign = 2, r.Axis = 1;
    r.Threshold_Fail = "-10";
    r.images = {picture("check cable", "", 0), picture("swap", "swap.png", 5)};
    r.Search_between = 2, r.M1toM2_M5 = 1;
    return r;
}

ZoomZonesTask zones(int search)
{
    ZoomZonesTask r;
    r.Description = "zz", r.Zone2_Check = 1, r.Peak_Valley_Search = search;
    return r;
}

template <typename T> T with(T r, const std::function<void(T &)> &change)
{
    change(r);
    return r;
}

LoadTask load(int mode, const QString &description, const QString &path)
{
    LoadTask r;
    r.Mode = mode, r.Description = description, r.SetupfileName = path;
    return r;
}

const QStringList kTagCompanyJobOfFullSave = {" |<TagID>",
                                              " |            Work Order ID : WO-7",
                                              " |            Termination : 50R",
                                              " |<Company Info>",
                                              " |            Company Name : Vexmar",
                                              " |            Logo File : logo.png",
                                              " |<Job Info>",
                                              " |            Test Purpose : acceptance",
                                              " |            Remark : none"};

const QStringList kEmptyTagCompanyJob = {" |<TagID>", " |<Company Info>", " |<Job Info>"};

std::vector<RowCase> rowCases()
{
    std::vector<RowCase> cases;
    const auto add = [&](const char *name, TaskRecord record, int n, QStringList rows,
                         int model = 0) {
        cases.push_back({name, record, n, rows, model});
    };
    add("SaveManualHasThreeRows", with<SaveTask>(fullSave(), [](auto &r) { r.SaveMode = 2; }), 3,
        {"3.Save|Description : store", " |Measurement result preview : On", " |Mode : Manual"});
    add("SaveAutomationFull", fullSave(), 1,
        QStringList{"1.Save|Description : store", " |Measurement result preview : On",
                    " |Mode : Automation", " |Storage : External(USB)", " |File name : site",
                    " |Folder name : jobs", " |<File type>", " |             Trace : CSV",
                    " |             Report : HTML", " |             Color Inversion : on",
                    " |             Marker Readings : off"} +
            kTagCompanyJobOfFullSave + QStringList{" |"});
    add("SaveCodesOutsideListsLeaveRowsOut",
        with<SaveTask>({},
                       [](auto &r) {
                           r.Storage = 3;       // no storage row
                           r.Trace_Format = 11; // outside the format list: row left out
                           r.Report_Check = 3, r.Report_Format = -1, r.Screen_Check = 4;
                           r.ColorInversion = 0, r.MarkerReadings = 99;
                       }),
        2,
        QStringList{"2.Save|Description : ", " |Measurement result preview : Off",
                    " |Mode : Automation", " |File name : ", " |Folder name : ", " |<File type>",
                    " |             Color Inversion : NoFormat"} +
            kEmptyTagCompanyJob + QStringList{" |"});
    add("ReportManual", with<ReportTask>({}, [](auto &r) { r.SaveMode = 2, r.Description = "r"; }),
        4, {"4.Report|Description : r", " |Mode : Manual"});
    add("ReportHtmlWithJob",
        with<ReportTask>(ReportTask{},
                         [](auto &r) {
                             r.Filetype = 6, r.BaseFileName = "sum", r.Workfolder = "wf";
                             r.Test_type = "sweep", r.Address_Check = 1, r.Address_Name = "Main St";
                             r.Engineer_Check = 1, r.Engineer_Name = "Kim";
                         }),
        1,
        {"1.Report|Description : ", " |Mode : Automation", " |File name : sum",
         " |Folder name : ", " |File type : HTML", " |<TagID>", " |            Work Folder : wf",
         " |            TestType : sweep", " |<Company Info>", " |            Address : Main St",
         " |<Job Info>", " |            Engineer : Kim", " |"});
    add("PromptAutoAdvance",
        with<PromptTask>({},
                         [](auto &r) {
                             r.Description = "connect", r.images[0].Comment = "first";
                             r.images[2] = picture("third", "port.jpg", 10);
                             r.images[9] = picture("", "last.png", 1);
                             r.Move_forward_Mode = 1, r.DelayTime = 7;
                         }),
        2,
        QStringList{"2.Prompt|Description : connect"} +
            promptCommentRows({"first", "", "third"}, {{2, "port.jpg"}, {9, "last.png"}}) +
            QStringList{" |Manual operation on instrument : Disable",
                        " |Move forward : Auto , Delay tiem 7(sec)"});
    add("PromptEmptyManualForward", PromptTask{}, 1,
        QStringList{"1.Prompt|Description : "} + promptCommentRows({}, {}) +
            QStringList{" |Manual operation on instrument : Disable", " |Move forward : Manual"});
    add("PromptManualOperation",
        with<PromptTask>(PromptTask{}, [](auto &r) { r.Manual_operation = 1; }), 1,
        QStringList{"1.Prompt|Description : "} + promptCommentRows({}, {}) +
            QStringList{" |Manual operation on instrument : Enable", " |"});
    add("LoadFactory", load(1, "fp", ""), 1,
        {"1.Load|Description : fp", " |Setup Mode : Factory_preset"});
    add("LoadFromPcWindowsPath", load(2, "", "C:\\setups\\a.sta"), 1,
        {"1.Load|Description : ", " |Setup Mode : Saved file (.sta)", " |Setup File Name : a.sta"});
    add("LoadFromEqpWorkingCopy", load(3, "", "/tmp/sv/eqp.sta"), 1,
        {"1.Load|Description : ", " |Setup Mode : Saved file (.sta)",
         " |Setup File Name : eqp.sta"});
    add("LoadBareNameKeepsName", load(2, "", "bare.sta"), 1,
        {"1.Load|Description : ", " |Setup Mode : Saved file (.sta)",
         " |Setup File Name : bare.sta"});
    add("LoadUnknownMode", load(0, "x", ""), 1, {"1.Load|Description : x"});
    add("MeasureTransmission", MeasureModeTask{"m", 6}, 1,
        {"1.Measure mode|Description : m", " |Select mode : 2 Port Transmission"});
    add("MeasureLastEntryIsEmpty", MeasureModeTask{"m", 22}, 1,
        {"1.Measure mode|Description : m", " |Select mode : "});
    add("MeasureOutOfRange", MeasureModeTask{"m", 23}, 1, {"1.Measure mode|Description : m"});
    add("FrequencyStartOnly", freq(true, false, 0), 5,
        {"5.Frequency / Distance|Description : band", " |Alt DTF Band : Off",
         " |Start frequency : 700.00", " |Stop distance : 30.00", " |Display units : Meter", " |"});
    add("FrequencyBothChecks",
        with<FrequencyDistanceTask>(
            freq(true, true, 1),
            [](auto &r) { r.Alt_DTF_Band_Check = 1, r.Start_Distance_Check = 1; }),
        1,
        {"1.Frequency / Distance|Description : band", " |Alt DTF Band : On",
         " |Start frequency : 700.00", " |Stop frequency : 2600.50", " |Center frequency : 1650.25",
         " |Span : 1900.50", " |Start distance : 1.50", " |Stop distance : 30.00",
         " |Display units : Foot", " |"});
    add("FrequencyUnknownUnits", freq(false, false, 2), 1,
        {"1.Frequency / Distance|Description : band", " |Alt DTF Band : Off",
         " |Stop distance : 30.00", " |"});
    add("Amplitude", AmplitudeTask{"a", 10.126, -40}, 1,
        {"1.Amplitude|Description : a", " |Top : 10.13", " |Bottom : -40.00"});
    add("AmplitudeTies", AmplitudeTask{"a", 0.125, -0.625}, 1,
        {"1.Amplitude|Description : a", " |Top : 0.12", " |Bottom : -0.62"});
    add("GeneralFirstModel", GeneralTask{"g", 1, "-10", "4"}, 1,
        {"1.General|Description : g", " |Interference rejection : On"});
    add("GeneralThirdModel", GeneralTask{"g", 0, "-10", "4"}, 1,
        {"1.General|Description : g", " |Interference rejection : Off", "|Output power : -10",
         " |Average : 4"},
        2);
    add("DataPoint", DataPointTask{"d", 1001}, 1,
        {"1.Data Point|Description : d", " |Point : 1001"});
    add("WindowingMinimumSideLobe", WindowingTask{"w", 4}, 1,
        {"1.Windowing|Description : w", " |Mode : MSL (Minimum Side Lobe)"});
    add("WindowingOutOfRange", WindowingTask{"w", 5}, 1, {"1.Windowing|Description : w"});
    add("CableManual", with<DtfTask>({}, [](auto &r) { r.Description = "c", r.Mode = 2; }), 1,
        {"1.Cable|Description : c", " |Mode : Manual"});
    add("CableAuto", DtfTask{"c", 1, 0.8765, 0.12346, "RG-58", 1}, 1,
        {"1.Cable|Description : c", " |Mode : Auto", " |Propagation velocity : 0.8765",
         " |Cable loss(dB/m) : 0.1235  @1Ghz", " |Cable name : RG-58", " |Display units : Foot"});
    add("RfPower", RfPowerTask{"p", 900, -1.5, 9, 3, 0, 1, 2, 3, 4}, 1,
        {"1.RF Power|Description : p", " |Frequency : 900.00", " |External offset : -1.50",
         " |<Display>", " |Pulse", " |Minimum : 3.00", " |Maximum : 4.00", " |<Limit>",
         " |Minimum : 1.00", " |Maximum : 2.00"});
    add("OpticalManualWithThreshold", OpticalPowerTask{"o", 2, 1550, 10, 1, -7.5}, 1,
        {"1.Optical Power|Description : o", " |Wavelength : Manual - 1550",
         " |Threshold : on -> -7.50"});
    add("OpticalAutoNoThreshold", OpticalPowerTask{"o", 1, 1310, 5, 0, 0}, 1,
        {"1.Optical Power|Description : o", " |Wavelength : Auto", " |Threshold : off"});
    add("FiberRibbonLongReach", FiberTask{"f", 2, 1}, 1,
        {"1.Fiber Inspection|Description : f", " |Profile : Ribbon, SM APC (IEC-61300-3-35)",
         " |Tip : Ribbon Tips - LongReach"});
    add("FiberSimplexStandard", FiberTask{"f", 4, 0}, 1,
        {"1.Fiber Inspection|Description : f", " |Profile : SM PC (IEC-61300-3-35)",
         " |Tip : Standard Tips (with RKA2)"});
    add("FiberUnknownProfile", FiberTask{"f", 6, 0}, 1, {"1.Fiber Inspection|Description : f"});
    add("BiasTeeAutoOn", BiasTeeTask{"b", 1, 1, 18}, 1,
        {"1.Bias tee|Description : b", " |Mode : Auto", " |Bias Tee on : 18 V"});
    add("BiasTeeAutoOff", BiasTeeTask{"b", 1, 0, 18}, 1,
        {"1.Bias tee|Description : b", " |Mode : Auto", " |Bias Tee off"});
    add("BiasTeeManual", BiasTeeTask{"b", 2, 1, 18}, 1,
        {"1.Bias tee|Description : b", " |Mode : Manual"});
    add("Markers", markers(), 6,
        {"6.Marker / Peak|Description : peaks",
         " |1. Marker name : M1 Type : Normal , on/off : off, X value : 850.50, "
         "Search mode : Peak Search",
         " |4. Marker name : M4 Type : Delta Pair , on/off : on, X value : -3.25, "
         "Search mode : Valley Search",
         " |If Condition  Marker: M4, on/off: on, Sign : ==, Axis : Y, MarkValue : -10",
         " |Do the following:", " |1. Comment : check cable", " |2. Comment : swap",
         " |    Image file name : swap.png", " |Search between : Valley ", " |M1 to M2:M5 on ",
         " |M3 to M4:M6 off "});
    // The sixth marker is the last with a row; anything after it has none.
    MarkerPeakTask sixth;
    sixth.Description = "six";
    sixth.markers[5] = {6, 1, 1, 1, 2.5};
    sixth.markers.push_back({1, 1, 1, 1, 9.0});
    sixth.Equality_sign = -1, sixth.Search_between = -1;
    add("SixthMarkerOnly", sixth, 1,
        {"1.Marker / Peak|Description : six",
         " |6. Marker name : M6 Type : Normal , on/off : on, X value : 2.50, "
         "Search mode : Peak Search",
         " |Do the following:", " |M1 to M2:M5 off ", " |M3 to M4:M6 off "});
    add("MarkersDefault", MarkerPeakTask{}, 1,
        {"1.Marker / Peak|Description : ",
         " |If Condition  Marker: M1, on/off: off, Sign : >, Axis : X, MarkValue : ",
         " |Do the following:", " |Search between : None ", " |M1 to M2:M5 off ",
         " |M3 to M4:M6 off "});
    add("LimitLine",
        with<LimitTask>(LimitTask{},
                        [](auto &r) {
                            r.Move_Limit = -12.5, r.Param = -8, r.Warning_On_Off = 1;
                            r.images = {picture("unused", "", 0)}; // condition off: not listed
                        }),
        1,
        {"1.Limit|Description : ", " |Mode : Limit line",
         " |Fail threshold on/off : off, Value : -12.50",
         " |Warning threshold on/off : on, Value : -8.00", " |Pass/fail text display : off",
         " |Condition on/off: off", " |"});
    add("LimitMaskWithCondition",
        with<LimitTask>({},
                        [](auto &r) {
                            r.Description = "mask", r.SelectMode = 0, r.MSLfileName = "lte.fml";
                            r.Pass_Fail = 1, r.Condition_Check = 1;
                            r.images = {picture("retry", "retry.png", 9)};
                        }),
        2,
        {"2.Limit|Description : mask", " |Mode : MSL", " |MSL file name : lte.fml",
         " |Pass/fail text display : on", " |Condition on/off : on", " |If fail, do the following:",
         " |1. Comment : retry", " |    Image file name : retry.png", " |"});
    add("ZoomZonesPeakAndValley", zones(3), 1,
        {"1.Zoom zones|Description : zz", " |Zone1 : off",
         " |Zone2 : on, start frequency : 1603.00, stop frequency : 2002.50", " |Zone3 : off",
         " |Peak/Valley search : Peak and Valley all zones"});
    add("ZoomZonesUnknownSearchIsNone", zones(7), 1,
        {"1.Zoom zones|Description : zz", " |Zone1 : off",
         " |Zone2 : on, start frequency : 1603.00, stop frequency : 2002.50", " |Zone3 : off",
         " |Peak/Valley search : None"});
    add("Calibration", CalibrationTask{"open short load"}, 7, {"7.Calibration|open short load"});
    add("Hold", HoldTask{"freeze"}, 8, {"8.Hold|freeze"});
    add("AutoScale", AutoScaleTask{""}, 9, {"9.Auto scale|"});
    return cases;
}

void PrintTo(const RowCase &c, std::ostream *os)
{
    *os << c.name;
}

class StepRows : public ::testing::TestWithParam<RowCase> {};

} // namespace

TEST_P(StepRows, MatchRowFormats)
{
    const RowCase &c = GetParam();
    const QStringList rows = summaryStepRows(TaskStep(c.record), c.n, c.model);
    EXPECT_EQ(rows.join('\n').toStdString(), c.expected.join('\n').toStdString());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, StepRows, ::testing::ValuesIn(rowCases()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(StepRowsUserText, BarsAndLineBreaksStayInsideOneCellOfEveryKind)
{
    PromptTask prompt;
    prompt.Description = "A|B\r\nC\tD", prompt.images[4].Comment = "x|y";
    const QStringList rows = summaryStepRows(TaskStep(prompt), 1, 0);
    for (const QString &row : rows)
        EXPECT_EQ(row.count(kCellSeparator), 1) << row.toStdString();
    EXPECT_EQ(rows.first(), QString("1.Prompt|Description : A") + kUserBar + "B C D");
    EXPECT_TRUE(rows.contains(QString(" |               5. Comment : x") + kUserBar + "y"));

    // Fill every text field a user can type with bars; no row may gain a cell.
    const QString bars = "|a|b|";
    SaveTask save;
    save.Description = save.BaseFileName = save.BaseFolderName = save.Company_Name = bars;
    save.WorkFolder = save.Site_ID = save.Engineer_Name = bars;
    save.Company_Check = save.Engineer_Check = 1;
    MarkerPeakTask marker;
    marker.Threshold_Fail = bars;
    marker.images = {picture(bars, bars, 3)};
    LimitTask limit;
    limit.SelectMode = 0, limit.MSLfileName = bars;
    GeneralTask general{bars, 0, bars, bars};
    for (const TaskRecord &record :
         std::vector<TaskRecord>{save, marker, limit, general, DtfTask{bars, 1, 1, 1, bars, 0},
                                 load(2, bars, "C:\\" + bars), HoldTask{bars}}) {
        for (const QString &row : summaryStepRows(TaskStep(record), 1, 3))
            EXPECT_LE(row.count(kCellSeparator), 1) << row.toStdString();
    }
}

TEST(KindLabels, SequenceLinesKeepTheirOwnSpelling)
{
    TestingSequence sequence;
    for (TaskKind kind : storableTaskKinds()) {
        TaskStep *step = sequence.insertStep(-1, makeDefaultRecord(kind, 0, 0));
        std::visit([&](auto &r) { r.Description = QString("s%1").arg(int(kind)); }, step->record);
    }
    const char *expected =
        "1. Save (s1)\n2. Prompt (s2)\n3. Consolidated report (s3)\n4. Calibration\n"
        "5. BiasTee (s5)\n6. Load (s6)\n7. Measure Mode (s7)\n8. Frequency/Distance (s8)\n"
        "9. Amplitude (s9)\n10. Cable (s10)\n11. Data Point (s11)\n12. RF power (s12)\n"
        "13. Optical power (s13)\n14. Fiber (s14)\n15. Windowing (s15)\n16. Marker/Peak (s16)\n"
        "17. Limit (s17)\n18. Zoom zones (s18)\n19. Hold\n20. Auto scale\n21. General (s23)";
    EXPECT_EQ(sequenceSummaryLines(sequence).join('\n').toStdString(), expected);
}
