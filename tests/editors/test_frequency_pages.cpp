// The pages whose bounds come from the instrument model or the distance
// unit: frequency/distance, amplitude (with its help table) and zoom zones,
// driven with keys and clicks on every model.
#include "PageTestSupport.h"

#include "document/ModelTables.h"
#include "document/NameTables.h"

using namespace page_test;

namespace {

struct ModelBand {
    int model;
    QString lower, upper;
};
const ModelBand kBands[] = {{0, "100.00", "2700.00"},
                            {1, "5.00", "4000.00"},
                            {2, "5.00", "4000.00"},
                            {3, "5.00", "6000.00"}};

} // namespace

TEST(FrequencyPage, CommitsOfItsAndTheZoomZonesClampToTheModelBand)
{
    for (const ModelBand &band : kBands) {
        SCOPED_TRACE(modelName(band.model).toStdString());
        PageUnderTest t(TaskFrequencyDistance, band.model);
        auto &r = t.record<FrequencyDistanceTask>();
        t.enter("Stop_Frequency", "1000");
        t.enter("Start_Frequency", "99999");
        EXPECT_EQ(t.text("Start_Frequency"), band.upper);
        EXPECT_EQ(t.text("Stop_Frequency"), band.upper) << "stop follows a start above it";
        EXPECT_EQ(t.text("Center_Frequency"), band.upper);
        EXPECT_EQ(t.text("Span"), "0.00");
        EXPECT_EQ(r.Stop_Frequency, r.Start_Frequency);
        t.enter("Stop_Frequency", "1");
        EXPECT_EQ(t.text("Stop_Frequency"), band.lower);
        EXPECT_EQ(t.text("Start_Frequency"), band.lower) << "start follows a stop below it";
        EXPECT_TRUE(r.Start_Frequency_Check && r.Stop_Frequency_Check);

        PageUnderTest zones(TaskZoomZones, band.model); // the zoom zones keep the same band
        zones.enter("Zone2_Stop_Frequency", "99999");
        EXPECT_EQ(zones.text("Zone2_Stop_Frequency"), band.upper);
        zones.enter("Zone2_Start_Frequency", "0");
        EXPECT_EQ(zones.text("Zone2_Start_Frequency"), band.lower);
    }
}

TEST(FrequencyPage, TypingUpdatesCentreAndSpanButOnlyACommitSetsTheCheck)
{
    PageUnderTest t(TaskFrequencyDistance, 0);
    auto &r = t.record<FrequencyDistanceTask>();
    t.type("Start_Frequency", "500");
    EXPECT_EQ(r.Start_Frequency, 500.0);
    EXPECT_EQ(t.text("Center_Frequency"), "1600.00");
    EXPECT_EQ(t.text("Span"), "2200.00");
    EXPECT_EQ(r.Start_Frequency_Check, 0) << "typing is no commit";
    t.edit("Stop_Frequency")->setFocus(); // leaving the edited field commits it
    EXPECT_EQ(r.Start_Frequency_Check, 1);
    EXPECT_TRUE(t.button("Start frequency")->state());

    t.edit("Start_Distance")->setFocus(); // the stop field was only passed through
    EXPECT_EQ(r.Stop_Frequency_Check, 0);
    t.click("Start frequency");
    EXPECT_EQ(r.Start_Frequency_Check, 0);
    EXPECT_EQ(r.Start_Frequency, 500.0) << "a check keeps its value";
}

TEST(FrequencyPage, DistancesKeepTheirGapAndSwitchUnits)
{
    PageUnderTest t(TaskFrequencyDistance, 2, kDistanceMeter);
    auto &r = t.record<FrequencyDistanceTask>();
    t.enter("Stop_Distance", "0.5");
    EXPECT_EQ(t.text("Stop_Distance"), "1.00");
    EXPECT_EQ(t.text("Start_Distance"), "0.00");
    t.enter("Start_Distance", "5");
    EXPECT_EQ(t.text("Stop_Distance"), "6.00") << "stop keeps 1.0 above start";
    t.enter("Stop_Distance", "1");
    EXPECT_EQ(t.text("Start_Distance"), "0.00") << "1 - 1.0, not 5 - 1.0";
    EXPECT_TRUE(r.Start_Distance_Check && r.Stop_Distance_Check);

    t.enter("Stop_Distance", "15");
    t.click("Foot");
    EXPECT_EQ(r.Units, kDistanceFoot);
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceFoot) << "new steps take the unit";
    EXPECT_EQ(t.text("Start_Distance"), "0.00");
    EXPECT_EQ(t.text("Stop_Distance"), "49.20");
    t.click("Foot");
    EXPECT_EQ(t.text("Stop_Distance"), "49.20") << "the shown unit changes nothing";
    t.enter("Stop_Distance", "9999");
    EXPECT_EQ(t.text("Stop_Distance"), "4920.00") << "the foot bound";
    t.enter("Stop_Distance", "49.2");
    t.click("Meter");
    EXPECT_EQ(t.text("Stop_Distance"), "15.00");
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceMeter);
}

// Stop must lie above start: equal distances are pushed apart, a hair's gap is kept.
TEST(FrequencyPage, EqualDistancesArePushedApartAndAHairIsKept)
{
    const struct {
        double start, stop;
        const char *field, *typed;
        QString shownStart, shownStop;
    } cases[] = {
        {5, 8, "Start_Distance", "8", "8.00", "9.00"},
        {5, 8, "Start_Distance", "7.99", "7.99", "8.00"},
        {5, 8, "Stop_Distance", "5", "4.00", "5.00"},
        {5, 8, "Stop_Distance", "5.01", "5.00", "5.01"},
        {3, 3, "Foot", "", "9.84", "13.12"}, // a unit switch parts them too
    };
    for (const auto &c : cases) {
        PageUnderTest t(TaskFrequencyDistance, 2, kDistanceMeter);
        t.record<FrequencyDistanceTask>().Start_Distance = c.start;
        t.record<FrequencyDistanceTask>().Stop_Distance = c.stop;
        t.rebind();
        if (*c.typed)
            t.enter(c.field, c.typed);
        else
            t.click(c.field);
        EXPECT_EQ(t.text("Start_Distance"), c.shownStart) << c.field << " " << c.typed;
        EXPECT_EQ(t.text("Stop_Distance"), c.shownStop) << c.field << " " << c.typed;
    }
}

TEST(AmplitudePage, CommitsKeepTopAboveBottomInsideTheScale)
{
    const struct {
        double top, bottom;
        const char *field, *typed;
        QString shownTop, shownBottom;
    } cases[] = {
        {65, 1, "Top", "1", "1.10", "1.00"},
        {65, 1, "Bottom", "70", "65.00", "64.90"},
        {65, 1, "Top", "500", "180.00", "1.00"},
        {65, 180, "Top", "180", "180.00", "179.90"},         // no room above 180
        {-180, -50, "Bottom", "-180", "-179.90", "-180.00"}, // no room below -180
        {65, -500, "Top", "10", "10.00", "-180.00"},         // a value read from a file
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        PageUnderTest t(TaskAmplitude);
        t.record<AmplitudeTask>().Top = c.top;
        t.record<AmplitudeTask>().Bottom = c.bottom;
        t.rebind();
        t.enter(c.field, c.typed);
        EXPECT_EQ(t.text("Top"), c.shownTop);
        EXPECT_EQ(t.text("Bottom"), c.shownBottom);
        EXPECT_TRUE(kAmplitudeBounds.contains(t.record<AmplitudeTask>().Top));
        EXPECT_TRUE(kAmplitudeBounds.contains(t.record<AmplitudeTask>().Bottom));
    }
}

TEST(AmplitudePage, HelpTableFollowsTheModel)
{
    for (int model = 0; model < kModelCount; ++model) {
        PageUnderTest t(TaskAmplitude, model);
        const QStringList shown = t.labels();
        const bool twoPort = model >= 2;
        EXPECT_EQ(shown.contains("2 Port Transmission"), twoPort) << model;
        EXPECT_EQ(shown.contains("-119.9 to 100.0"), twoPort) << model;
        EXPECT_EQ(shown.contains("-179.9 to 180.0"), !twoPort) << "1 Port Phase, model " << model;
        EXPECT_TRUE(shown.contains("1.1 to 65"));
    }
}

TEST(ZoomZonesPage, CommitsClampToTheModelAndSwitchTheZoneOn)
{
    PageUnderTest t(TaskZoomZones, 0); // VX310A: 100 to 2700 MHz
    auto &r = t.record<ZoomZonesTask>();
    EXPECT_EQ(t.text("Zone3_Start_Frequency"), "3201.00");
    EXPECT_EQ(t.text("Zone3_Stop_Frequency"), "3600.50");

    // Passing through the out-of-range fields changes nothing.
    t.edit("Zone3_Start_Frequency")->setFocus();
    t.edit("Zone3_Stop_Frequency")->setFocus();
    t.edit("Zone1_Start_Frequency")->setFocus();
    EXPECT_EQ(r.Zone3_Start_Frequency, 3201.0);
    EXPECT_EQ(r.Zone3_Check, 0);
    EXPECT_TRUE(t.history.changes.empty());

    t.edit("Zone3_Stop_Frequency")->setFocus();
    QTest::keyClick(t.edit("Zone3_Stop_Frequency"), Qt::Key_Return);
    EXPECT_EQ(t.text("Zone3_Stop_Frequency"), "2700.00");
    EXPECT_EQ(t.text("Zone3_Start_Frequency"), "2700.00");
    EXPECT_EQ(r.Zone3_Check, 1);
    EXPECT_TRUE(t.button("Zone 3")->state());

    t.type("Zone1_Start_Frequency", "900");
    EXPECT_EQ(r.Zone1_Check, 0) << "typing does not switch the zone on";
    QTest::keyClick(t.edit("Zone1_Start_Frequency"), Qt::Key_Return);
    EXPECT_EQ(t.text("Zone1_Stop_Frequency"), "900.00");
    EXPECT_EQ(r.Zone1_Check, 1);
    t.click("Zone 1");
    EXPECT_EQ(r.Zone1_Check, 0);
    EXPECT_EQ(r.Zone1_Start_Frequency, 900.0);

    t.choose("Peak_Valley_Search", "Valley all zones");
    EXPECT_EQ(r.Peak_Valley_Search, 2);
}
