// Marker_Peak, Limit and Zoom Zones steps in wizard files: the hand-written
// reference wizards in both directions, round trips with pictures and mask
// files, the condition-picture numbering, the mode-dependent limit groups and
// the messages for attached files that cannot be stored or restored.
#include "StepWizards.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace stepvane {
namespace {

QString analysisFile(const QString &name)
{
    return test::fixture("analysis/" + name);
}

// Where the reference files say their attachments were on the writing machine.
QString windowsPicture(const QString &name)
{
    return "C:\\Users\\field\\Pictures\\" + name;
}
const QString kWindowsMask = "C:\\Users\\field\\Masks\\band_mask.fml";

AttachedImage picture(const QString &comment, const QString &name, int width, int height)
{
    const QString path = analysisFile(name);
    return AttachedImage{comment, name, path, Size(QFileInfo(path).size()), width, height};
}
const AttachedImage kConnectorOk = picture("Connector clean", "connector_ok.png", 4, 3);
const AttachedImage kConnectorBad = picture("Connector damaged", "connector_bad.png", 2, 2);
const AttachedImage kMaskFail = picture("Check the jumper", "mask_fail.png", 3, 5);

// A restored file (a picture or a mask) lives in its own working copy named
// after the stored name and holds the bytes of the original; once that is
// checked, the record takes the original's path so the rest of it can be
// compared as a whole.
void adoptRestored(QString &path, const QString &storedName, Size size, const QString &original)
{
    if (size > 0) {
        EXPECT_TRUE(test::isWorkingCopyOf(path, storedName)) << path.toStdString();
        EXPECT_EQ(test::readAll(path), test::readAll(original)) << storedName.toStdString();
        EXPECT_NE(path, original);
    }
    path = original;
}

void adoptRestored(TaskRecord &read, const TaskRecord &original)
{
    const auto images = [](auto &r, const auto &o) {
        for (size_t i = 0; i < r.images.size() && i < o.images.size(); ++i)
            adoptRestored(r.images[i].TransImageName, r.images[i].ImageName,
                          r.images[i].Image_filesize, o.images[i].TransImageName);
    };
    if (auto *m = std::get_if<MarkerPeakTask>(&read)) {
        if (const auto *o = std::get_if<MarkerPeakTask>(&original))
            images(*m, *o);
    } else if (auto *l = std::get_if<LimitTask>(&read)) {
        if (const auto *o = std::get_if<LimitTask>(&original)) {
            images(*l, *o);
            adoptRestored(l->TransMSLfileName, l->MSLfileName, l->MSLfileSize, o->TransMSLfileName);
        }
    }
}

void expectSameRecords(std::vector<TaskRecord> read, const std::vector<TaskRecord> &expected)
{
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        adoptRestored(read[i], expected[i]);
        EXPECT_TRUE(read[i] == expected[i]) << "step " << i;
    }
}

// --- the reference wizards ---------------------------------------------------

TEST(AnalysisReferenceFiles, ReadIntoTheExpectedRecordsAndReproducedByTheWriter)
{
    MarkerPeakTask markers;
    markers.Description = "Return loss > 15 dB on M3";
    markers.markers = {{1, 1, 0, 1, 1500}, {2, 2, 0, 3, 0.5}, {9, 7, 0, 9, -2.25},
                       {6, 3, 0, 5, 2},    {0, 0, 0, 0, 0},   {0, 0, 0, 4, 0}};
    markers.Condition_Check = 1, markers.MarkerName = 2, markers.Equality_sign = 2;
    markers.Axis = 1, markers.Threshold_Fail = "-15.5";
    markers.images = {kConnectorOk, AttachedImage{"No picture yet", "", "", 0, 0, 0},
                      kConnectorBad};
    markers.Search_between = 2, markers.M1toM2_M5 = 1;
    MarkerPeakTask noMarkers;
    noMarkers.Description = "No markers <none>", noMarkers.Equality_sign = 5;
    noMarkers.Search_between = 4, noMarkers.M3toM4_M6 = 1;
    LimitTask line{"Line at -12.5 dB", 1, 1, -12.5, -15.75, 1, 1, "", "", 0, 1, {kMaskFail}};
    const QString mask = analysisFile("band_mask.fml");
    LimitTask msl{
        "Band mask", 0, 0, 0, 0, 0, 0, "band_mask.fml", mask, Size(QFileInfo(mask).size()), 0, {}};
    LimitTask noMask{"Mask not chosen yet", 0, 1, 0, 0, 0, 0, "", "", 0, 0, {}};
    ZoomZonesTask lte{"LTE bands", 700, 1710, 2500, 960, 2170, 2690, 1, 0, 1, 3};
    ZoomZonesTask unknown{"Unknown search", 0, 3400.25, 0, 0, 3800.75, 0, 0, 1, 0, 7};
    const struct {
        const char *file;
        const char *title;
        const char *sequenceTitle;
        std::vector<TaskRecord> records; // attachments point at the files of the fixture folder
    } refs[] = {
        {"marker_peak.wzd", "Markers", "Marker and peak", {markers, noMarkers}},
        {"limit.wzd", "Limits", "Limit lines and masks", {line, msl, noMask}},
        {"zoom_zones.wzd", "Zones", "Zoom zones", {lte, ZoomZonesTask{"Defaults"}, unknown}}};
    QTemporaryDir dir;
    for (const auto &ref : refs) {
        SCOPED_TRACE(ref.file);
        CollectingMessageSink sink;
        int result = 0;
        const auto read = test::readRecords(analysisFile(ref.file), &sink, &result);
        ASSERT_EQ(result, 1);
        expectSameRecords(read, ref.records);

        WizardDocument doc = test::oneSequence(ref.records, ref.title, ref.sequenceTitle);
        const QString out = dir.filePath(ref.file);
        ASSERT_TRUE(test::saveWizard(doc, out, &sink));
        EXPECT_TRUE(sink.messages.empty()) << sink.texts().join('\n').toStdString();
        // The attachments were read from this folder; the reference names the
        // folders they had on the machine that wrote it.
        QByteArray written = test::readAll(out);
        for (const char *name : {"connector_ok.png", "connector_bad.png", "mask_fail.png"})
            written.replace(analysisFile(name).toUtf8(), windowsPicture(name).toUtf8());
        written.replace(analysisFile("band_mask.fml").toUtf8(), kWindowsMask.toUtf8());
        const QByteArray expected = test::normalizedXml(test::readAll(analysisFile(ref.file)));
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(test::normalizedXml(written).toStdString(), expected.toStdString());
    }
}

// --- round trips -------------------------------------------------------------

TEST(AnalysisTasks, EveryKindSurvivesSaveAndReopen)
{
    MarkerPeakTask markers;
    markers.Description = "Pic \u00e9 & <x>\nline two";
    for (int k = 0; k < kMarkerCount; ++k)
        markers.markers[size_t(k)] = {k + 1, k % 4, 0, k, 100.25 * (k + 1)};
    markers.Condition_Check = 1, markers.MarkerName = 5, markers.Equality_sign = 1;
    markers.Axis = 1, markers.Threshold_Fail = "-3.5 dB";
    markers.images = {kConnectorBad, kConnectorOk};
    markers.Search_between = 1, markers.M1toM2_M5 = 1, markers.M3toM4_M6 = 1;

    LimitTask line{"line", 1, 1, 7.25, -2.5, 1, 0, "", "", 0, 1, {kConnectorOk, kMaskFail}};
    const QString mask = analysisFile("band_mask.fml");
    LimitTask msl{
        "mask",         0, 1, 0, 0, 0, 0, "band_mask.fml", mask, Size(QFileInfo(mask).size()), 1,
        {kConnectorBad}};
    ZoomZonesTask zones{"zones", 1.25, 2.5, 3.75, 10.5, 20.25, 30, 1, 1, 0, 2};
    const std::vector<TaskRecord> records = {markers, line, msl, zones};
    expectSameRecords(test::readRecords(test::savedRecords(records)), records);
}

// --- condition pictures ------------------------------------------------------

TEST(AnalysisTasks, TwelvePicturesAreWrittenButTenComeBack)
{
    LimitTask limit;
    limit.Condition_Check = 1;
    const AttachedImage sources[] = {kConnectorOk, kConnectorBad, kMaskFail};
    for (int i = 0; i < 12; ++i) {
        AttachedImage image = sources[i % 3];
        image.Comment = QStringLiteral("picture %1").arg(i);
        limit.images.push_back(image);
    }
    const QString path = test::savedRecords({limit});
    EXPECT_EQ(test::stepAttributes(path, "Condition/ImageNum_11/Comment"), "DValue=picture 11");

    std::vector<TaskRecord> read = test::readRecords(path);
    ASSERT_EQ(read.size(), 1u);
    LimitTask expected = limit;
    expected.images.resize(kMaxConditionImages);
    adoptRestored(read[0], expected);
    EXPECT_TRUE(read[0] == TaskRecord(expected));
}

TEST(AnalysisTasks, MissingPictureNumbersLeaveNoGap)
{
    QString pictures;
    for (int i : {0, 1, 2, 4, 5, 10}) // 3 is missing; 10 is past the numbers looked for
        pictures += QStringLiteral("<ImageNum_%1><Comment DValue=\"c%1\"/><ImageName DValue=\"\"/>"
                                   "<Image_filesize DValue=\"0\"/></ImageNum_%1>")
                        .arg(i);
    for (const char *kind : {"Marker_Peak", "Limit"}) {
        const auto read = test::readBodies(
            {QStringLiteral("<Task_Step_Name DValue=\"%1\"/><Condition><Check DValue=\"True\" "
                            "LValue=\"1\"/>%2</Condition>")
                 .arg(kind, pictures)});
        ASSERT_EQ(read.size(), 1u) << kind;
        const std::vector<AttachedImage> *images = nullptr;
        if (const auto *m = std::get_if<MarkerPeakTask>(&read[0]))
            images = &m->images;
        else if (const auto *l = std::get_if<LimitTask>(&read[0]))
            images = &l->images;
        ASSERT_NE(images, nullptr) << kind;
        QStringList comments;
        for (const AttachedImage &image : *images)
            comments << image.Comment;
        EXPECT_EQ(comments.join(',').toStdString(), "c0,c1,c2,c4,c5") << kind;
    }
}

// --- attached files that cannot be stored or restored ------------------------

// The data element is missing or the name unsafe, so the restore fails: the
// user is told which file, and the step still loads.
TEST(AnalysisTasks, RestoreFailuresAreReportedAndTheReadGoesOn)
{
    const struct {
        const char *stepBody;
        const char *message;
    } cases[] = {
        {R"(<Task_Step_Name DValue="Marker_Peak"/><Condition><ImageNum_0><ImageName DValue="cond.png"/><Image_filesize DValue="10"/></ImageNum_0></Condition>)",
         "Marker/Peak task item-Failed to Load (cond.png)"},
        {R"(<Task_Step_Name DValue="Limit"/><Condition><ImageNum_0><ImageName DValue="cond.png"/><Image_filesize DValue="10"/></ImageNum_0></Condition>)",
         "Lmit task item-Failed to Load (cond.png)"},
        {R"(<Task_Step_Name DValue="Limit"/><SelectMode LValue="0"/><MSL><MSLfileName DValue="m.fml"/><MSLfileSize DValue="10"/></MSL>)",
         "Limit task item-Failed to Load (m.fml)"},
        {R"(<Task_Step_Name DValue="Limit"/><SelectMode LValue="0"/><MSL><MSLfileName DValue=".."/><MSLfileSize DValue="3"/><ImageData xmlns:dt="urn:schemas-microsoft-com:datatypes" dt:dt="bin.base64">YWJj</ImageData></MSL>)",
         "Limit task item-Failed to Load (..)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        CollectingMessageSink sink;
        int result = 0;
        const auto read = test::readBodies({c.stepBody}, &sink, &result);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(read.size(), 1u);
        ASSERT_EQ(sink.messages.size(), 1u);
        // The kind's message, with the slot and why on a line below it.
        EXPECT_EQ(sink.texts().first().section(u'\n', 0, 0).toStdString(), c.message);
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Warning);
    }
}

TEST(AnalysisTasks, StoreFailuresAreReportedAndTheSaveGoesOn)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("gone.png");
    const AttachedImage lost{"", "gone.png", missing, 10, 1, 1};
    MarkerPeakTask markers;
    markers.images = {lost, kConnectorOk};
    LimitTask limit{"", 0, 0, 0, 0, 0, 0, "gone.fml", dir.filePath("gone.fml"), 10, 1, {lost}};

    CollectingMessageSink sink;
    const QString path = test::savedRecords({markers, limit}, &sink);
    EXPECT_EQ(sink.texts().join('\n').toStdString(),
              "Marker/Peak task item-Failed to Save (gone.png)\n"
              "Limit task item-Failed to Save (gone.fml)\n"
              "Limit task item-Failed to Save (gone.png)");
    // The picture after the lost one is still stored.
    EXPECT_EQ(test::stepAttributes(path, "Condition/ImageNum_1/ImageName"),
              "DValue=connector_ok.png");
    EXPECT_TRUE(test::stepChildren(path, "Condition/ImageNum_1").contains("ImageData"));
}

// --- limit modes and the writer's texts --------------------------------------

TEST(AnalysisTasks, OnlyTheSelectedLimitGroupIsWrittenAndRead)
{
    const QString mask = analysisFile("band_mask.fml");
    // Each record carries leftovers of the other mode, as the editor leaves them.
    LimitTask line{"", 1, 0, 4.5, 1.5, 1, 1, "band_mask.fml", mask, 68, 0, {}};
    LimitTask msl{"", 0, 0, 4.5, 1.5, 1, 1, "", "", 0, 0, {}};
    const QString path = test::savedRecords({line, msl});
    EXPECT_EQ(test::stepAttributes(path, "MSL"), "<missing>");
    EXPECT_EQ(test::stepAttributes(path, "Limit_Line/Move_Limit"), "DValue=4.50");

    const auto read = test::readRecords(path);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_TRUE(read[0] == TaskRecord(LimitTask{"", 1, 0, 4.5, 1.5, 1, 1, "", "", 0, 0, {}}));
    EXPECT_TRUE(read[1] == TaskRecord(LimitTask{"", 0, 0, 0, 0, 0, 0, "", "", 0, 0, {}}));
}

TEST(AnalysisTasks, ReaderDefaultsAndModeGroups)
{
    MarkerPeakTask secondMissing;
    secondMissing.markers[0] = {3, 1, 0, 2, 10};
    secondMissing.markers[2] = {4, 2, 0, 5, 30};
    const struct {
        const char *name;
        const char *stepBody;
        TaskRecord expected;
    } cases[] = {
        {"MarkerDefaults", R"(<Task_Step_Name DValue="Marker_Peak"/>)", MarkerPeakTask{}},
        {"MissingMarkerKeepsDefaults",
         R"(<Task_Step_Name DValue="Marker_Peak"/><Marker><Num1><Name LValue="3"/><Type LValue="1"/><X_Value DValue="10"/><Search_mode LValue="2"/></Num1><Num3><Name DValue="M1" LValue="4"/><Type LValue="2"/><X_Value DValue="30"/><Search_mode DValue="None" LValue="5"/></Num3></Marker>)",
         secondMissing},
        {"LimitDefaults", R"(<Task_Step_Name DValue="Limit"/>)", LimitTask{}},
        {"LimitLineIgnoredInMslMode",
         R"(<Task_Step_Name DValue="Limit"/><SelectMode LValue="0"/><Limit_Line><On_Off LValue="1"/><Move_Limit DValue="9"/></Limit_Line>)",
         LimitTask{"", 0, 0, 0, 0, 0, 0, "", "", 0, 0, {}}},
        {"MslIgnoredInLineMode",
         R"(<Task_Step_Name DValue="Limit"/><SelectMode LValue="1"/><MSL><MSLfileName DValue="a.fml"/><MSLfileSize DValue="3"/></MSL>)",
         LimitTask{}},
        {"LimitLineMissingValuesAreZero",
         R"(<Task_Step_Name DValue="Limit"/><SelectMode DValue="MSL" LValue="5"/><Limit_Line><Warning><Param DValue="-2"/></Warning></Limit_Line><Pass_Fail LValue="1"/>)",
         LimitTask{"", 5, 1, 0, -2, 0, 0, "", "", 0, 0, {}}},
        {"ZoomDefaultsAreEmptyZones", R"(<Task_Step_Name DValue="Zoom Zones"/>)",
         ZoomZonesTask{"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"ZoomCodeFromLValue",
         R"(<Task_Step_Name DValue="Zoom Zones"/><Zone2><Check DValue="True"/><Stop_Frequency DValue="12.5"/></Zone2><Peak_Valley_Search DValue="Peak all zones" LValue="2"/>)",
         ZoomZonesTask{"", 0, 0, 0, 0, 12.5, 0, 0, 0, 0, 2}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto read = test::readBodies({c.stepBody});
        ASSERT_EQ(read.size(), 1u);
        EXPECT_TRUE(read[0] == c.expected);
    }
}

MarkerPeakTask markerWith(int equality, int axis, int between)
{
    MarkerPeakTask r;
    r.Equality_sign = equality, r.Axis = axis, r.Search_between = between;
    return r;
}

TEST(AnalysisTasks, WrittenElementsCarryExactlyTheseAttributes)
{
    const struct {
        const char *name;
        TaskRecord record;
        const char *path;
        const char *attributes;
    } cases[] = {
        {"GreaterThan", markerWith(0, 0, 0), "Condition/Equality_sign", "DValue=>;LValue=0"},
        {"EqualityWithoutText", markerWith(5, 0, 0), "Condition/Equality_sign", "LValue=5"},
        {"AxisAnyNonZeroIsY", markerWith(0, 3, 0), "Condition/Axis", "DValue=Y;LValue=3"},
        {"SearchBetweenWithoutText", markerWith(0, 0, 3), "Peak_Valley/Search_between", "LValue=3"},
        {"SixthMarkerAlwaysWritten", MarkerPeakTask{}, "Marker/Num6/Search_mode",
         "DValue=None;LValue=0"},
        {"NoSeventhMarker", MarkerPeakTask{}, "Marker/Num7", "<missing>"},
        {"ZoomPeakAll", ZoomZonesTask{"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "Peak_Valley_Search",
         "DValue=Peak all zones;LValue=1"},
        {"LimitPassFailOn", LimitTask{"", 1, 2, 0, 0, 0, 0, "", "", 0, 0, {}}, "Pass_Fail",
         "DValue=On;LValue=2"},
        {"EmptyMslGroup", LimitTask{"", 0, 0, 0, 0, 0, 0, "a.fml", "/nowhere/a.fml", 0, 0, {}},
         "MSL/MSLfileName", "<missing>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::stepAttributes(test::savedRecords({c.record}), c.path), c.attributes);
    }
}

} // namespace
} // namespace stepvane
