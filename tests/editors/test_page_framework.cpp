// The editor page framework and the measure mode page: binding, the
// description rule, the combo and toggle helpers, the model-dependent list,
// a page that is unbound (or bound to another kind) writing nothing, and the
// edit history hearing of every change a page makes and of nothing else. The
// number-field helpers of RecordPage, tried on a small page as a page uses
// them: live updates, empty-text rules, clamping commits and cross-field
// rules, the field being typed into left alone, and a field the user only
// passed through committing nothing.
#include "PageTestSupport.h"

#include "widgets/FieldNote.h"
#include "widgets/TextFieldRules.h"

#include "common/NumberText.h"
#include "editors/framework/RecordPage.h"
#include "editors/pages/CMarker_PeakView.h"
#include "editors/pages/CMeasureModeView.h"

#include <QClipboard>
#include <QFormLayout>

using namespace page_test;

namespace {

// A small page over the Bias Tee record that uses every helper, so the
// helpers are tried against a real record the way a page uses them.
class HelperPage : public RecordPage<BiasTeeTask> {
public:
    HelperPage(PageContext &context)
        : RecordPage(context, TaskBiasTee, kDefaultSize, nullptr),
          voltageOn(new CKiteToggleButton(1, CKiteToggleButton::Style::Check, "On", this)),
          automation(new CKiteToggleButton(2, CKiteToggleButton::Style::Radio, "Auto", this)),
          manual(new CKiteToggleButton(3, CKiteToggleButton::Style::Radio, "Manual", this)),
          voltage(createEdit(9, CVXEdit::Whole, 0, 30))
    {
        form()->addRow("Bias", voltageOn);
        form()->addRow("Mode", automation);
        form()->addRow("", manual);
        form()->addRow("Voltage", voltage);
        bindToggle(voltageOn, &BiasTeeTask::Voltage_On_Off);
        bindRadio(automation, &BiasTeeTask::Mode, 1);
        bindRadio(manual, &BiasTeeTask::Mode, 2);
    }
    CKiteToggleButton *voltageOn, *automation, *manual;
    CVXEdit *voltage;
    std::vector<bool> commits;

protected:
    void fillRecord(BiasTeeTask &r) override { voltage->setText(QString::number(r.Voltage_Param)); }
    void fieldChanged(int id, const QString &text, bool commit) override
    {
        EXPECT_EQ(id, 9);
        if (!text.isEmpty())
            record()->Voltage_Param = parseWholeText(text);
        commits.push_back(commit);
    }
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

TaskStep makeStep(TaskKind kind)
{
    return TaskStep(makeDefaultRecord(kind, 0, 0));
}

// A measure mode page on a step of its own, shown (bound unless asked not to).
struct MeasurePage : PageEnv {
    CMeasureModeView page{context};
    TaskStep step = makeStep(TaskMeasureMode);
    explicit MeasurePage(bool bind = true)
    {
        if (bind)
            page.Bind(&step);
        showActive(page);
        page.descriptionField()->setFocus();
    }
    QString description() const { return step.as<MeasureModeTask>()->Description; }
};

} // namespace

TEST(PageDescription, CountsWhileTypingAndStopsAt256WithANote)
{
    MeasurePage t;
    CVXEdit *field = t.page.descriptionField();
    const QString full(kMaxDescriptionLength, QChar(u'x'));
    QTest::keyClicks(field, full.left(72));
    EXPECT_EQ(shownLengthCount(field), "72 / 256");
    QTest::keyClicks(field, full.mid(72));
    EXPECT_EQ(t.description(), full);
    EXPECT_EQ(FieldNote::of(field), nullptr) << "256 characters are allowed";
    EXPECT_EQ(t.redraws, kMaxDescriptionLength) << "the task list follows every keystroke";

    // The 257th key stops with a note; nothing modal, and the keys after it
    // still work.
    QTest::keyClicks(field, "yz");
    EXPECT_EQ(t.description(), full);
    EXPECT_EQ(shownLengthCount(field), "256 / 256");
    const FieldNote *note = FieldNote::of(field);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), lengthLimitNote(256));
    EXPECT_TRUE(t.ui.reports.isEmpty());
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Q);
    EXPECT_EQ(t.description(), full.left(255) + u'q');
}

TEST(PageDescription, PastedLongTextIsCutOnceAndStored)
{
    MeasurePage t;
    QGuiApplication::clipboard()->setText(QString(1000, QChar(u'p')));
    QTest::keyClick(t.page.descriptionField(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t.description().size(), kMaxDescriptionLength);
    EXPECT_TRUE(t.ui.reports.isEmpty());
    EXPECT_NE(FieldNote::of(t.page.descriptionField()), nullptr);
}

TEST(PageBinding, UnboundOrForeignPageWritesNothingAndRebindFillsFromTheNewRecord)
{
    MeasurePage t(false);
    TaskStep other = makeStep(TaskAmplitude);
    t.page.Bind(&other);
    EXPECT_EQ(t.page.boundStep(), nullptr) << "a step of another kind is not bound";
    t.page.Bind(&t.step);
    EXPECT_EQ(t.page.boundStep(), &t.step);
    t.page.Bind(nullptr);
    QTest::keyClicks(t.page.descriptionField(), "abc");
    t.page.modeList()->setCurrentIndex(3);
    EXPECT_EQ(t.step, makeStep(TaskMeasureMode)) << "the unbound page changed the record";
    EXPECT_EQ(t.redraws, 0);

    // Binding again fills from the new record and stores there.
    TaskStep second = makeStep(TaskMeasureMode);
    *t.step.as<MeasureModeTask>() = MeasureModeTask{"first", 4};
    *second.as<MeasureModeTask>() = MeasureModeTask{"second", 10};
    t.page.Bind(&t.step);
    EXPECT_EQ(t.page.descriptionField()->text(), "first");
    EXPECT_EQ(t.page.modeList()->currentText(), "1 Port Cable Loss");
    t.page.Bind(&second);
    EXPECT_EQ(t.page.descriptionField()->text(), "second");
    EXPECT_EQ(t.page.modeList()->currentText(), "Optical Power");
    EXPECT_EQ(t.step.as<MeasureModeTask>()->Measurement, 4) << "filling stored nothing";
    t.page.modeList()->setCurrentIndex(0);
    EXPECT_EQ(second.as<MeasureModeTask>()->Measurement, 0);
    EXPECT_EQ(t.step.as<MeasureModeTask>()->Measurement, 4);
}

TEST(MeasureModePage, ListFollowsTheModel)
{
    const struct {
        int model;
        int entries;
        int chosenPosition;
        int stored;
        int boundValue;
        QString boundText;
    } cases[] = {
        {0, 10, 6, 8, 9, "RF Power"},       // VX310A: no 2-port entries
        {1, 10, 6, 8, 9, "RF Power"},       // VX320A
        {1, 10, 5, 5, 6, ""},               // a 2-port value has no entry there
        {2, 12, 6, 6, 9, "RF Power"},       // VX330A: the full list
        {3, 12, 11, 11, 7, "2 Port Phase"}, // VX340A
        {3, 12, 0, 0, 12, ""},              // a value outside the list
    };
    for (const auto &c : cases) {
        PageEnv env;
        env.state.CurrentModelIndex = c.model;
        CMeasureModeView page(env.context);
        TaskStep step = makeStep(TaskMeasureMode);
        page.Bind(&step);
        ASSERT_EQ(page.modeList()->count(), c.entries) << "model " << c.model;
        page.modeList()->setCurrentIndex(c.chosenPosition);
        EXPECT_EQ(step.as<MeasureModeTask>()->Measurement, c.stored) << "model " << c.model;
        step.as<MeasureModeTask>()->Measurement = c.boundValue;
        page.Bind(&step);
        EXPECT_EQ(page.modeList()->currentText(), c.boundText) << "model " << c.model;
        EXPECT_EQ(step.as<MeasureModeTask>()->Measurement, c.boundValue) << "Bind stores nothing";
    }
}

TEST(PageHelpers, ToggleRadioAndFieldWriteTheBoundRecordAndTheHistoryHearsEachChange)
{
    PageEnv env;
    HelperPage page(env.context);
    TaskStep step = makeStep(TaskBiasTee); // Mode 1, voltage on, 12 V
    step.as<BiasTeeTask>()->Description = "bias";
    page.Bind(&step);
    showActive(page);
    EXPECT_TRUE(page.voltageOn->state());
    EXPECT_TRUE(page.automation->state());
    EXPECT_FALSE(page.manual->state());
    EXPECT_EQ(page.voltage->text(), "12");
    EXPECT_TRUE(env.history.changes.empty()) << "binding is not an edit";
    const auto &changes = env.history.changes;
    const auto clickOn = [](CKiteToggleButton *b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    };

    page.voltage->setFocus();
    page.voltage->selectAll();
    QTest::keyClicks(page.voltage, "45");
    EXPECT_EQ(step.as<BiasTeeTask>()->Voltage_Param, 45) << "live update stores unclamped";
    QTest::keyClick(page.voltage, Qt::Key_Return);
    EXPECT_EQ(step.as<BiasTeeTask>()->Voltage_Param, 30);
    EXPECT_EQ(page.commits.back(), true);
    ASSERT_EQ(changes.size(), 3u) << "two keystrokes and the clamping commit";
    const EditRecorder::Key voltageKey = changes[0].key;
    for (const auto &change : changes) {
        EXPECT_EQ(change.step, &step);
        EXPECT_EQ(change.key, voltageKey) << "one field, one key: the keystrokes make one edit";
    }
    EXPECT_EQ(std::get<BiasTeeTask>(changes[0].before).Voltage_Param, 12);
    EXPECT_EQ(std::get<BiasTeeTask>(changes[2].before).Voltage_Param, 45);
    EXPECT_EQ(std::get<BiasTeeTask>(changes[2].after).Voltage_Param, 30);
    ASSERT_FALSE(env.history.ended.empty());
    EXPECT_EQ(env.history.ended.back(), voltageKey) << "the commit ends the edit";
    QTest::keyClick(page.voltage, Qt::Key_Return);
    EXPECT_EQ(changes.size(), 3u) << "a commit that changes nothing is no edit";

    clickOn(page.voltageOn);
    EXPECT_EQ(step.as<BiasTeeTask>()->Voltage_On_Off, 0) << "stored by the click itself";
    ASSERT_EQ(changes.size(), 4u);
    clickOn(page.manual);
    EXPECT_EQ(step.as<BiasTeeTask>()->Mode, 2);
    EXPECT_TRUE(page.manual->state());
    EXPECT_FALSE(page.automation->state()) << "the other radio of the pair is cleared";
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(std::get<BiasTeeTask>(changes.back().before).Mode, 1);
    EXPECT_NE(changes.back().key, voltageKey);
    clickOn(page.manual);
    EXPECT_TRUE(page.manual->state()) << "clicking the set radio keeps it set";
    EXPECT_EQ(step.as<BiasTeeTask>()->Mode, 2);
    EXPECT_EQ(changes.size(), 5u) << "clicking the set radio changes nothing";

    page.descriptionField()->setFocus();
    QTest::keyClicks(page.descriptionField(), "!");
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_EQ(std::get<BiasTeeTask>(changes.back().before).Description, "bias");
    page.Bind(nullptr);
    QTest::keyClicks(page.descriptionField(), "more");
    EXPECT_EQ(changes.size(), 6u) << "an unbound page reports nothing";
    QCoreApplication::processEvents();
}

TEST(PageRegistry, BuiltinPagesByKind)
{
    const PageRegistry &registry = builtinPageRegistry();
    const PageRegistration *measure = findPages(registry, TaskMeasureMode);
    ASSERT_NE(measure, nullptr);
    PageEnv env;
    QWidget parent;
    std::unique_ptr<EditorPage> page(measure->pages.at(0)(env.context, &parent));
    page->setParent(nullptr);
    EXPECT_EQ(page->kind(), TaskMeasureMode);
    EXPECT_EQ(page->pageSize(), QSize(374, 525));
    // The marker page is shown with a blank companion below it.
    const PageRegistration *marker = findPages(registry, TaskMarkerPeak);
    ASSERT_NE(marker, nullptr);
    ASSERT_EQ(marker->pages.size(), 2u);
    std::unique_ptr<EditorPage> top(marker->pages[0](env.context, nullptr));
    std::unique_ptr<EditorPage> below(marker->pages[1](env.context, nullptr));
    EXPECT_NE(dynamic_cast<CMarker_PeakView *>(top.get()), nullptr);
    EXPECT_EQ(top->pageSize(), QSize(374, 699));
    below->show();
    EXPECT_FALSE(below->descriptionField()->isVisible()) << "only background";
    for (TaskKind none :
         {TaskCalibration, TaskHold, TaskAutoScale, TaskScpiCommands, TaskConditions, TaskUnknown})
        EXPECT_EQ(findPages(registry, none), nullptr) << none;
}

TEST(PageHelpers, NumberFieldsPassedThroughStoreNothingAndTypedStoreLiveClampAndApplyTheirRule)
{
    PageEnv env;
    ScalePage page(env.context);
    TaskStep step(RfPowerTask{});
    RfPowerTask &r = *step.as<RfPowerTask>();
    r.Frequency = 6000; // above the field's bound
    page.Bind(&step);
    showActive(page);
    page.frequency->setFocus();
    page.offset->setFocus();
    page.frequency->setFocus();
    page.other->setFocus();
    EXPECT_EQ(r.Frequency, 6000.0);
    EXPECT_EQ(page.frequency->text(), "6000.00");
    EXPECT_TRUE(env.history.changes.empty()) << "passing through changes and records nothing";
    page.frequency->setFocus();
    QTest::keyClick(page.frequency, Qt::Key_Return);
    EXPECT_EQ(r.Frequency, 3500.0) << "Enter still commits";

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
