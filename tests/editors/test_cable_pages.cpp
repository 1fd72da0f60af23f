// The general, data point, windowing and DTF cable pages and the cable list
// dialog: model-dependent rows, radio choices, the commit-only average, the
// "Custom Cable" rule, the loss in metres and feet, and picking a cable.
//
// The RF power, optical power, fiber and bias-tee pages: sensor-dependent
// mode lists, scale bounds that follow the bound record's modes, wavelength
// and threshold visibility, tip lists by profile and the bias voltage.
#include "PageTestSupport.h"

#include "document/ModelTables.h"
#include "editors/dialogs/CCableListDlg.h"
#include "instrument_files/CableList.h"

#include <QTableWidget>

using namespace page_test;

namespace {

// The application's cable table for one test, put back afterwards.
struct CableTable {
    std::vector<CableEntry> saved = cableTable();
    CableTable()
    {
        setCableTable({{"RG-8", "0.66", "0.131", "0.189"},
                       {"LDF4-50A", "0.88", "0.0728", ""},
                       {"Odd", "0.9", "0.328", "0.5"}});
    }
    ~CableTable() { setCableTable(saved); }
};

void clickCell(QTableWidget *table, int row, bool twice = false)
{
    const QPoint at = table->visualItemRect(table->item(row, 1)).center();
    // A double-click arrives after the click of its first press.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

QPushButton *buttonNamed(QDialog &dialog, const QString &text)
{
    for (QPushButton *b : dialog.findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Runs the cable dialog as a user would: click a row (or none), then a button.
std::function<int(QDialog &)> pickCable(int row, const QString &button = "Apply")
{
    return [=](QDialog &dialog) {
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        auto *table = dialog.findChild<QTableWidget *>();
        if (row >= 0)
            clickCell(table, row);
        QTest::mouseClick(buttonNamed(dialog, button), Qt::LeftButton);
        return dialog.result();
    };
}

QStringList entries(QComboBox *combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemText(i);
    return all;
}

} // namespace

TEST(GeneralPage, OutputPowerAndAverageOnlyWhereTheModelHasThemRadiosAndTheCommitOnlyAverage)
{
    for (int model = 0; model < 4; ++model) {
        PageUnderTest t(TaskGeneral, model);
        t.record<GeneralTask>().OutputPower = "0";
        t.rebind();
        const bool has = model >= 2;
        EXPECT_EQ(t.shown("0 dBm"), has) << model;
        EXPECT_EQ(t.shown("Average"), has) << model;
        EXPECT_TRUE(t.shown("On"));
        EXPECT_EQ(t.record<GeneralTask>().OutputPower, "0") << "kept, seen or not";
    }
    PageUnderTest t(TaskGeneral, 3);
    auto &r = t.record<GeneralTask>();
    r.OutputPower = "-3";
    t.rebind();
    EXPECT_TRUE(t.button("0 dBm")->state()) << "any text but -30 shows 0 dBm";
    EXPECT_EQ(r.OutputPower, "-3");
    t.click("-30 dBm");
    EXPECT_EQ(r.OutputPower, "-30");
    EXPECT_FALSE(t.button("0 dBm")->state());
    t.click("0 dBm");
    EXPECT_EQ(r.OutputPower, "0");
    t.click("On");
    EXPECT_EQ(r.Interference_Rejection, 1);
    EXPECT_FALSE(t.button("Off")->state());

    t.type("Average", "7");
    EXPECT_EQ(r.Average, "1") << "typing stores nothing";
    QTest::keyClick(t.edit("Average"), Qt::Key_Return);
    EXPECT_EQ(t.text("Average"), "5");
    EXPECT_EQ(r.Average, "5");
}

TEST(ChoicePages, DataPointsAndWindowsAreOneRadioEach)
{
    PageUnderTest points(TaskDataPoint);
    EXPECT_TRUE(points.button("501")->state());
    points.click("2001");
    EXPECT_EQ(points.record<DataPointTask>().Param, 2001);
    EXPECT_FALSE(points.button("501")->state());
    points.record<DataPointTask>().Param = 300;
    points.rebind();
    for (const char *count : {"126", "251", "501", "1001", "2001"})
        EXPECT_FALSE(points.button(count)->state()) << "300 has no button";

    PageUnderTest windows(TaskWindowing);
    EXPECT_TRUE(windows.button("Rectangular")->state());
    windows.click("LSL (Low Side Lobe)");
    EXPECT_EQ(windows.record<WindowingTask>().Param, 3);
    EXPECT_FALSE(windows.button("Rectangular")->state());
}

TEST(DtfPage, OnlyAChangedValueMakesACustomCable)
{
    PageUnderTest t(TaskDtf);
    auto &r = t.record<DtfTask>();
    const QString name = r.Cable_Name;
    t.edit("Propagation_Velocity")->setFocus();
    t.edit("Cable_Loss")->setFocus();
    t.edit("Propagation_Velocity")->setFocus();
    QTest::keyClick(t.edit("Propagation_Velocity"), Qt::Key_Return);
    t.edit("Cable_Loss")->setFocus();
    EXPECT_EQ(r.Cable_Name, name) << "entering and leaving renames nothing";
    EXPECT_TRUE(t.history.changes.empty());

    t.edit("Propagation_Velocity")->setFocus();
    t.edit("Propagation_Velocity")->end(false);
    QTest::keyClick(t.edit("Propagation_Velocity"), Qt::Key_1);
    EXPECT_EQ(r.Cable_Name, "Custom Cable") << "the first changed keystroke renames";
    EXPECT_EQ(t.text("Cable_Name"), "Custom Cable");

    t.enter("Propagation_Velocity", "1.5");
    EXPECT_EQ(t.text("Propagation_Velocity"), "1.0000");
    t.enter("Cable_Loss", "3");
    EXPECT_EQ(t.text("Cable_Loss"), "2.0000");
    EXPECT_EQ(r.Cable_Loss, 2.0);
}

TEST(DtfPage, UnitsConvertTheLossAndManualHidesTheCable)
{
    PageUnderTest t(TaskDtf);
    auto &r = t.record<DtfTask>();
    t.click("Foot");
    EXPECT_EQ(t.text("Cable_Loss"), "0.0220");
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceFoot);
    EXPECT_TRUE(t.labels().contains("Cable loss (dB/ft)"));
    t.click("Meter");
    EXPECT_EQ(t.text("Cable_Loss"), "0.0720");
    EXPECT_TRUE(t.labels().contains("Cable loss (dB/m)"));

    t.click("Manual");
    EXPECT_EQ(r.Mode, 2);
    EXPECT_FALSE(t.shown("Propagation_Velocity"));
    EXPECT_FALSE(t.shown("cableListButton"));
    EXPECT_EQ(r.Propagation_Velocity, 0.88) << "hidden values are kept";
    t.click("Auto");
    EXPECT_TRUE(t.shown("Cable_Loss"));

    r.Mode = 0; // neither Auto nor Manual, as a hand-edited file may say
    t.rebind();
    EXPECT_TRUE(t.button("Manual")->state());
    EXPECT_FALSE(t.shown("Cable_Loss"));
    EXPECT_EQ(r.Mode, 0) << "binding writes nothing";
    t.click("Manual");
    EXPECT_EQ(r.Mode, 2);
}

TEST(DtfPage, PickingACableTakesItsValuesInTheRecordsUnit)
{
    CableTable cables;
    PageUnderTest t(TaskDtf);
    auto &r = t.record<DtfTask>();
    const auto pick = [&t](const std::function<int(QDialog &)> &script) {
        t.ui.modal.push_back(script);
        QTest::mouseClick(t.find<QPushButton>("cableListButton"), Qt::LeftButton);
    };
    pick(pickCable(0));
    EXPECT_EQ(r.Cable_Name, "RG-8");
    EXPECT_EQ(r.Propagation_Velocity, 0.66);
    EXPECT_EQ(r.Cable_Loss, 0.131);
    EXPECT_EQ(t.text("Propagation_Velocity"), "0.66") << "the list's text as written";
    EXPECT_EQ(t.text("Cable_Loss"), "0.131");

    t.click("Foot");
    pick(pickCable(2));
    EXPECT_EQ(r.Cable_Name, "Odd");
    EXPECT_DOUBLE_EQ(r.Cable_Loss, 0.1);
    EXPECT_EQ(t.text("Cable_Loss"), "0.1000");

    const DtfTask before = r;
    for (auto script : {pickCable(1, "Cancel"), pickCable(-1, "Apply")}) {
        pick(script);
        EXPECT_EQ(r, before) << "no cable chosen, nothing changes";
    }
}

TEST(CableListDialog, ShowsTheLossPerFootAndRemembersTheClickedRow)
{
    CableTable cables;
    CCableListDlg foot(cableTable(), 1);
    EXPECT_EQ(foot.list()->item(2, 2)->text(), "0.1000");
    EXPECT_EQ(foot.list()->item(2, 3)->text(), "0.5") << "the 2 GHz loss as written";
    EXPECT_EQ(foot.list()->item(1, 1)->text(), "0.88");
    CCableListDlg metre(cableTable(), 0);
    EXPECT_EQ(metre.list()->item(2, 2)->text(), "0.328");

    metre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&metre));
    EXPECT_EQ(metre.chosenRow(), -1);
    clickCell(metre.list(), 1);
    EXPECT_EQ(metre.chosenRow(), 1);
    EXPECT_EQ(metre.chosenColumn(), 1);
    QTest::mouseClick(buttonNamed(metre, "Cancel"), Qt::LeftButton);
    EXPECT_EQ(metre.result(), QDialog::Rejected);
    EXPECT_EQ(metre.chosenRow(), -1) << "Cancel forgets the click";

    metre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&metre));
    clickCell(metre.list(), 2, true);
    EXPECT_EQ(metre.result(), QDialog::Accepted) << "a double-click accepts";
    EXPECT_EQ(metre.chosenCable()->name, "Odd");
}

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
