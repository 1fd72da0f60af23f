// The number-field helpers of RecordPage, tried on a small page as a page
// uses them: live updates, empty-text rules, clamping commits and
// cross-field rules, the field being typed into left alone, and a field the
// user only passed through committing nothing. (The other helpers are tried
// through the pages that use them.)
#include "PageTestSupport.h"

#include "editors/framework/RecordPage.h"

using namespace page_test;

namespace {

// A page over the RF power record that declares its controls with the helpers.
class ScalePage : public RecordPage<RfPowerTask> {
public:
    explicit ScalePage(PageContext &context) : RecordPage(context, TaskRfPower)
    {
        auto *grid = addGrid("Scale");
        frequency = decimalField(&RfPowerTask::Frequency, {.bounds = {150, 3500}});
        offset = decimalField(&RfPowerTask::External_offset,
                              {.bounds = {-100, 100}, .emptyIsZero = true});
        minimum = decimalField(
            &RfPowerTask::Display_Minimum,
            {.boundsOf = [](const RfPowerTask &r) { return rfScale(r.Display_Mode).minimum; }});
        maximum = decimalField(
            &RfPowerTask::Display_Maximum,
            {.boundsOf = [](const RfPowerTask &r) { return rfScale(r.Display_Mode).maximum; },
             .then =
                 [](RfPowerTask &r, bool commit) {
                     if (commit && r.Display_Maximum <= r.Display_Minimum)
                         r.Display_Minimum = r.Display_Maximum - 1;
                 }});
        grid->addRow("Frequency", frequency);
        grid->addRow("Offset", offset, "dB");
        grid->addRow("Minimum", minimum);
        grid->addRow("Maximum", maximum);
        other = new QLineEdit(this);
        grid->addWide(other);
    }
    CVXEdit *frequency, *offset, *minimum, *maximum;
    QLineEdit *other;
};

} // namespace

TEST(PageHelpers, NumberFieldsStoreLiveClampOnCommitAndApplyTheirRule)
{
    PageEnv env;
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

TEST(PageHelpers, PassingThroughAFieldChangesAndRecordsNothing)
{
    PageEnv env;
    ScalePage page(env.context);
    TaskStep step(RfPowerTask{});
    step.as<RfPowerTask>()->Frequency = 6000; // above the field's bound
    page.Bind(&step);
    showActive(page);
    page.frequency->setFocus();
    page.offset->setFocus();
    page.frequency->setFocus();
    page.other->setFocus();
    EXPECT_EQ(step.as<RfPowerTask>()->Frequency, 6000.0);
    EXPECT_EQ(page.frequency->text(), "6000.00");
    EXPECT_TRUE(env.history.changes.empty());

    page.frequency->setFocus();
    QTest::keyClick(page.frequency, Qt::Key_Return);
    EXPECT_EQ(step.as<RfPowerTask>()->Frequency, 3500.0) << "Enter still commits";
}
