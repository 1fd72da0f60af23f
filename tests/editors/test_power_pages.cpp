// The RF power, optical power, fiber and bias-tee pages: sensor-dependent
// mode lists, scale bounds that follow the bound record's modes, wavelength
// and threshold visibility, tip lists by profile and the bias voltage.
#include "PageTestSupport.h"

#include "document/ModelTables.h"

using namespace page_test;

namespace {

QStringList entries(QComboBox *combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemText(i);
    return all;
}

} // namespace

TEST(RfPowerPage, SensorChoiceRebuildsBothModeListsAndStartsThePairsOver)
{
    PageUnderTest t(TaskRfPower);
    auto &r = t.record<RfPowerTask>();
    t.enter("Display_Maximum", "30");
    t.enter("Limit_Minimum", "-50");
    t.choose("RF_Model", "P44A/B");
    EXPECT_EQ(entries(t.list("Display_Mode")), QStringList{"Peak"});
    EXPECT_EQ(entries(t.list("Limit_Mode")), QStringList{"Peak"});
    EXPECT_EQ(r.Display_Mode, RfPeak);
    EXPECT_EQ(r.Limit_Mode, RfPeak);
    for (const char *field : {"Display_Minimum", "Limit_Minimum"})
        EXPECT_EQ(t.text(field), "21.00") << field;
    for (const char *field : {"Display_Maximum", "Limit_Maximum"})
        EXPECT_EQ(t.text(field), "52.00") << field;

    t.choose("RF_Model", "P46A/B");
    ASSERT_EQ(t.list("Display_Mode")->count(), 3);
    t.choose("Display_Mode", 2);
    EXPECT_EQ(t.list("Display_Mode")->currentText(), "Pulse");
    EXPECT_EQ(r.Display_Mode, RfPulse);
}

TEST(RfPowerPage, VswrPairsHaveTheirOwnBoundsAndGap)
{
    PageUnderTest t(TaskRfPower);
    auto &r = t.record<RfPowerTask>();
    t.choose("Display_Mode", "VSWR");
    EXPECT_EQ(t.text("Display_Minimum"), "1.00");
    EXPECT_EQ(t.text("Display_Maximum"), "2.00");
    t.enter("Display_Maximum", "1");
    EXPECT_EQ(t.text("Display_Maximum"), "2.00");
    EXPECT_EQ(t.text("Display_Minimum"), "1.00");
    t.enter("Display_Minimum", "70");
    EXPECT_EQ(t.text("Display_Minimum"), "64.00");
    EXPECT_EQ(t.text("Display_Maximum"), "65.00");
    EXPECT_EQ(r.Limit_Minimum, 21.0) << "the other pair keeps its mode and values";
    t.enter("Limit_Maximum", "-100");
    EXPECT_EQ(t.text("Limit_Maximum"), "-99.00");
    EXPECT_EQ(t.text("Limit_Minimum"), "-100.00") << "max - 1.0, not below the floor";
}

TEST(RfPowerPage, BindingAppliesTheBoundsOfTheBoundRecordsModes)
{
    const struct {
        int displayMode, limitMode;
        QString displayMax, limitMax;
    } cases[] = {{RfVswr, RfAverage, "65.00", "99.00"},
                 {RfAverage, RfVswr, "99.00", "65.00"},
                 {RfPeak, RfPulse, "99.00", "99.00"}};
    PageUnderTest t(TaskRfPower);
    for (const auto &c : cases) {
        t.step = TaskStep(RfPowerTask{});
        t.record<RfPowerTask>().Display_Mode = c.displayMode;
        t.record<RfPowerTask>().Limit_Mode = c.limitMode;
        t.rebind();
        t.enter("Display_Maximum", "99");
        t.enter("Limit_Maximum", "99");
        EXPECT_EQ(t.text("Display_Maximum"), c.displayMax) << c.displayMode;
        EXPECT_EQ(t.text("Limit_Maximum"), c.limitMax) << c.limitMode;
    }
}

TEST(RfPowerPage, OddStoredValuesShowWithoutBeingWritten)
{
    PageUnderTest t(TaskRfPower);
    auto &r = t.record<RfPowerTask>();
    r.RF_Model = 9, r.Display_Mode = RfVswr, r.Limit_Mode = 7;
    t.rebind();
    EXPECT_EQ(t.list("RF_Model")->currentText(), "P41A/B");
    EXPECT_EQ(t.list("Limit_Mode")->currentText(), "Average") << "a mode not offered: position 0";
    EXPECT_EQ(r.RF_Model, 9);
    EXPECT_TRUE(t.history.changes.empty());

    t.type("Frequency", "");
    EXPECT_EQ(r.Frequency, 0.0) << "an empty frequency stores 0";
    QTest::keyClick(t.edit("Frequency"), Qt::Key_Return);
    EXPECT_EQ(t.text("Frequency"), "150.00");
}

TEST(OpticalPowerPage, WavelengthAndThresholdShowByTheirModes)
{
    PageUnderTest t(TaskOpticalPower);
    auto &r = t.record<OpticalPowerTask>();
    EXPECT_TRUE(t.button("Manual")->state());
    EXPECT_EQ(t.list("Wavelength_Param")->currentText(), "1310");
    EXPECT_TRUE(t.button("On")->state());
    EXPECT_EQ(t.text("Threshold_Param"), "-10.00");

    t.choose("Wavelength_Param", "1550");
    EXPECT_EQ(r.Wavelength_Param, 1550);
    EXPECT_EQ(r.Wavelength_Param_LValue, 10);
    t.click("Auto");
    EXPECT_EQ(r.Wavelength_Mode, 1);
    EXPECT_FALSE(t.shown("Wavelength_Param"));
    EXPECT_EQ(r.Wavelength_Param, 1550) << "Auto keeps the stored wavelength";

    t.enter("Threshold_Param", "150");
    EXPECT_EQ(t.text("Threshold_Param"), "99.00");
    t.enter("Threshold_Param", "-150");
    EXPECT_EQ(t.text("Threshold_Param"), "-99.99");
    t.click("Off");
    EXPECT_EQ(r.Threshold_On_Off, 0);
    EXPECT_FALSE(t.shown("Threshold_Param"));
    EXPECT_EQ(r.Threshold_Param, -99.99);
}

TEST(FiberPage, TipListFollowsTheProfileAndShowsTheStoredTip)
{
    PageUnderTest t(TaskFiber);
    auto &r = t.record<FiberTask>();
    t.choose("Tip", "Simplex Long Reach (-L) Tips");
    EXPECT_EQ(r.Tip, 1);
    t.choose("Profile", "Ribbon, SM APC (IEC-61300-3-35)");
    EXPECT_EQ(r.Profile, 2);
    EXPECT_EQ(entries(t.list("Tip")), (QStringList{"Ribbon Tips", "Ribbon Tips - LongReach"}));
    EXPECT_EQ(r.Tip, 1) << "the tip changes only when a tip is chosen";
    EXPECT_EQ(t.list("Tip")->currentIndex(), 1) << "and the list shows the tip the step keeps";
    t.choose("Tip", "Ribbon Tips");
    EXPECT_EQ(r.Tip, 0);
    t.choose("Profile", "SM PC (IEC-61300-3-35)");
    EXPECT_EQ(t.list("Tip")->currentText(), "Standard Tips (with RKA2)");
}

TEST(BiasTeePage, VoltageIsClampedAndShownOnlyInAutoWhileOn)
{
    PageUnderTest t(TaskBiasTee);
    auto &r = t.record<BiasTeeTask>();
    t.type("Voltage_Param", "40");
    EXPECT_EQ(r.Voltage_Param, 40) << "typing stores the number as it stands";
    QTest::keyClick(t.edit("Voltage_Param"), Qt::Key_Return);
    EXPECT_EQ(t.text("Voltage_Param"), "32");
    t.enter("Voltage_Param", "5");
    EXPECT_EQ(t.text("Voltage_Param"), "12");
    EXPECT_EQ(r.Voltage_Param, 12);

    t.click("Off");
    EXPECT_EQ(r.Voltage_On_Off, 0);
    EXPECT_FALSE(t.shown("Voltage_Param"));
    EXPECT_TRUE(t.shown("On"));
    t.click("On");
    t.click("Manual");
    EXPECT_EQ(r.Mode, 2);
    EXPECT_FALSE(t.shown("On"));
    EXPECT_FALSE(t.shown("Voltage_Param"));
    t.click("Auto");
    EXPECT_TRUE(t.shown("Voltage_Param"));
}
