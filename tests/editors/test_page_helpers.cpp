// The binding helpers of RecordPage, tried on small pages as a page uses
// them: number fields with bounds, empty-text rules and cross-field rules,
// bounds, lists, labels and visibility that follow the record, radio pairs
// with an odd stored value, the unit switch, and a field the user only
// passed through committing nothing.
#include "editors/framework/RecordPage.h"
#include "support/WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace stepvane;
using namespace taskeditor_test;

namespace {

struct Recorder : EditRecorder {
    void recordChanged(TaskStep &, TaskRecord, Key) override { ++changes; }
    void endEdit(Key) override {}
    int changes = 0;
};

struct Env {
    AppState state;
    FakeUi ui;
    Recorder history;
    PageContext context{state, ui, {}, &history};
};

// A page over the RF power record that declares its controls with the helpers.
class ScalePage : public RecordPage<RfPowerTask> {
public:
    explicit ScalePage(PageContext &context) : RecordPage(context, TaskRfPower)
    {
        auto *grid = addGrid("Scale");
        frequency = decimalField(&RfPowerTask::Frequency, {.bounds = {150, 3500}});
        offset = decimalField(&RfPowerTask::External_offset,
                              {.bounds = {-100, 100}, .emptyIsZero = true});
        minimum = decimalField(&RfPowerTask::Display_Minimum,
                               {.boundsOf = [](const RfPowerTask &r) {
                                    return rfScale(r.Display_Mode).minimum;
                                }});
        maximum = decimalField(&RfPowerTask::Display_Maximum,
                               {.boundsOf = [](const RfPowerTask &r) {
                                    return rfScale(r.Display_Mode).maximum;
                                },
                                .then = [](RfPowerTask &r, bool commit) {
                                    if (commit && r.Display_Maximum <= r.Display_Minimum)
                                        r.Display_Minimum = r.Display_Maximum - 1;
                                }});
        grid->addRow("Frequency", frequency);
        offsetRow = grid->addRow("Offset", offset, "dB");
        grid->addRow("Minimum", minimum);
        unit = grid->addRow("Maximum", maximum, "?").unit;
        modes = new QComboBox(this);
        grid->addRow("Display", modes);
        vswr = new CKiteToggleButton(1, CKiteToggleButton::Style::Radio, "VSWR", this);
        power = new CKiteToggleButton(2, CKiteToggleButton::Style::Radio, "Power", this);
        grid->addRow("Pair", PageGrid::inLine({vswr, power}, this));

        listFrom(modes, [](const RfPowerTask &r) {
            QStringList names;
            for (int mode : rfSensorModes(r.RF_Model))
                names << rfModeName(mode);
            return names;
        });
        bindCombo(
            modes, &RfPowerTask::Display_Mode,
            [this](int position) { return rfSensorModes(record()->RF_Model).at(size_t(position)); },
            [this](int mode) {
                const std::vector<int> &offered = rfSensorModes(record()->RF_Model);
                const auto at = std::find(offered.begin(), offered.end(), mode);
                return at == offered.end() ? -1 : int(at - offered.begin());
            },
            [](RfPowerTask &r, bool) { r.Display_Minimum = rfScale(r.Display_Mode).newMinimum; });
        bindRadioPair(vswr, power, &RfPowerTask::Display_Mode, int(RfVswr), int(RfAverage));
        showWhen(offsetRow, [](const RfPowerTask &r) { return r.Display_Mode != RfVswr; });
        labelFrom(unit, [](const RfPowerTask &r) { return rfScale(r.Display_Mode).unit; });
    }
    CVXEdit *frequency, *offset, *minimum, *maximum;
    PageGrid::Row offsetRow;
    QLabel *unit;
    QComboBox *modes;
    CKiteToggleButton *vswr, *power;
};

class UnitPage : public RecordPage<DtfTask> {
public:
    explicit UnitPage(PageContext &context) : RecordPage(context, TaskDtf)
    {
        meter = new CKiteToggleButton(1, CKiteToggleButton::Style::Radio, "Meter", this);
        foot = new CKiteToggleButton(2, CKiteToggleButton::Style::Radio, "Foot", this);
        addGrid()->addRow("Units", PageGrid::inLine({meter, foot}, this));
        bindUnitSwitch(meter, foot, &DtfTask::Units, [this](DtfTask &, int) { ++conversions; });
    }
    CKiteToggleButton *meter, *foot;
    int conversions = 0;
};

void showActive(QWidget &w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

void retype(CVXEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(edit, text);
}

void clickOn(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

} // namespace

TEST(PageHelpers, NumberFieldsStoreLiveClampOnCommitAndApplyTheirRule)
{
    Env env;
    ScalePage page(env.context);
    TaskStep step(RfPowerTask{});
    page.Bind(&step);
    showActive(page);
    RfPowerTask &r = *step.as<RfPowerTask>();

    retype(page.frequency, "1.");
    EXPECT_EQ(r.Frequency, 1.0) << "live update";
    EXPECT_EQ(page.frequency->text(), "1.") << "the field being typed into is left alone";
    retype(page.frequency, "");
    EXPECT_EQ(r.Frequency, 1.0) << "an empty text keeps the value";
    retype(page.offset, "");
    EXPECT_EQ(r.External_offset, 0.0);
    retype(page.offset, "7");
    retype(page.offset, "");
    EXPECT_EQ(r.External_offset, 0.0) << "this field stores 0 for an empty text";

    retype(page.maximum, "10");
    EXPECT_EQ(r.Display_Minimum, 21.0) << "the rule waits for the commit";
    QTest::keyClick(page.maximum, Qt::Key_Return);
    EXPECT_EQ(r.Display_Minimum, 9.0);
    EXPECT_EQ(page.minimum->text(), "9.00") << "the page shows what the rule did";
    retype(page.maximum, "500");
    QTest::keyClick(page.maximum, Qt::Key_Return);
    EXPECT_EQ(page.maximum->text(), "100.00");
    EXPECT_EQ(r.Display_Maximum, 100.0);
}

TEST(PageHelpers, BoundsListsLabelsAndVisibilityFollowTheRecord)
{
    Env env;
    ScalePage page(env.context);
    TaskStep step(RfPowerTask{});
    step.as<RfPowerTask>()->Display_Mode = RfVswr;
    step.as<RfPowerTask>()->RF_Model = 2; // P43A/B: Average, Peak, VSWR
    page.Bind(&step);
    showActive(page);
    RfPowerTask &r = *step.as<RfPowerTask>();

    EXPECT_EQ(page.modes->count(), 3);
    EXPECT_EQ(page.modes->currentText(), "VSWR");
    EXPECT_EQ(page.unit->text(), ":1");
    EXPECT_FALSE(page.offset->isVisible());
    retype(page.maximum, "99");
    QTest::keyClick(page.maximum, Qt::Key_Return);
    EXPECT_EQ(r.Display_Maximum, 65.0) << "bound by the bound record's mode";

    page.modes->setCurrentIndex(1); // Peak
    EXPECT_EQ(r.Display_Mode, RfPeak);
    EXPECT_EQ(r.Display_Minimum, 21.0) << "the combo's rule ran";
    EXPECT_EQ(page.unit->text(), "dBm");
    EXPECT_TRUE(page.offset->isVisible());
    EXPECT_TRUE(page.power->state()) << "Peak shows as the pair's other choice";
    retype(page.maximum, "99");
    QTest::keyClick(page.maximum, Qt::Key_Return);
    EXPECT_EQ(r.Display_Maximum, 99.0) << "the bounds changed with the mode";

    TaskStep other(RfPowerTask{});
    other.as<RfPowerTask>()->RF_Model = 3; // P44A/B: Peak only
    page.Bind(&other);
    EXPECT_EQ(page.modes->count(), 1);
    EXPECT_EQ(page.modes->currentIndex(), -1) << "Average is not offered";
    clickOn(page.power);
    EXPECT_EQ(other.as<RfPowerTask>()->Display_Mode, RfAverage);
    clickOn(page.vswr);
    EXPECT_EQ(other.as<RfPowerTask>()->Display_Mode, RfVswr);
    EXPECT_TRUE(page.vswr->state());
    EXPECT_FALSE(page.power->state());
    EXPECT_EQ(r.Display_Mode, RfPeak) << "the first record is untouched";
}

TEST(PageHelpers, PassingThroughAFieldChangesAndRecordsNothing)
{
    Env env;
    ScalePage page(env.context);
    TaskStep step(RfPowerTask{});
    step.as<RfPowerTask>()->Frequency = 6000; // above the field's bound
    page.Bind(&step);
    showActive(page);
    page.frequency->setFocus();
    page.offset->setFocus();
    page.frequency->setFocus();
    clickOn(page.power); // clicking elsewhere takes the focus too
    EXPECT_EQ(step.as<RfPowerTask>()->Frequency, 6000.0);
    EXPECT_EQ(page.frequency->text(), "6000.00");
    EXPECT_EQ(env.history.changes, 0);

    page.frequency->setFocus();
    QTest::keyClick(page.frequency, Qt::Key_Return);
    EXPECT_EQ(step.as<RfPowerTask>()->Frequency, 3500.0) << "Enter still commits";
}

TEST(PageHelpers, UnitSwitchChangesTheRecordAndTheEditorUnitOnce)
{
    Env env;
    UnitPage page(env.context);
    TaskStep step(DtfTask{});
    page.Bind(&step);
    showActive(page);
    EXPECT_TRUE(page.meter->state());
    clickOn(page.foot);
    EXPECT_EQ(step.as<DtfTask>()->Units, kDistanceFoot);
    EXPECT_EQ(env.state.CurrentDistanceUnit, kDistanceFoot);
    EXPECT_TRUE(page.foot->state());
    EXPECT_FALSE(page.meter->state());
    clickOn(page.foot);
    EXPECT_EQ(page.conversions, 1) << "the shown unit changes nothing";
    EXPECT_TRUE(page.foot->state());
    clickOn(page.meter);
    EXPECT_EQ(step.as<DtfTask>()->Units, kDistanceMeter);
    EXPECT_EQ(env.state.CurrentDistanceUnit, kDistanceMeter);
    EXPECT_EQ(page.conversions, 2);
}
