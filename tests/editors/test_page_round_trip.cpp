// Every measurement-setting page: values edited on the page are saved in a
// wizard, and the page bound to the reopened step shows exactly what it
// showed before saving (fields, lists, buttons, labels and what is visible).
#include "PageTestSupport.h"

using namespace page_test;

namespace {

// What the page shows, control by control.
QStringList shownState(const EditorPage &page)
{
    QStringList state;
    for (const QWidget *w : page.findChildren<QWidget *>()) {
        const QString name = w->objectName();
        QString value;
        if (const auto *edit = qobject_cast<const QLineEdit *>(w))
            value = edit->text();
        else if (const auto *combo = qobject_cast<const QComboBox *>(w))
            value = combo->currentText() + QStringLiteral(" of ") + QString::number(combo->count());
        else if (const auto *button = qobject_cast<const CKiteToggleButton *>(w))
            value = button->state() ? "on" : "off";
        else if (const auto *label = qobject_cast<const QLabel *>(w))
            value = label->text();
        else
            continue;
        state << QStringLiteral("%1=%2%3").arg(name, value, w->isVisible() ? "" : " (hidden)");
    }
    return state;
}

// Works the page as a user would: "Field=text" types and commits, "List:entry"
// chooses, anything else clicks the button so named.
void drive(PageUnderTest &t, const QStringList &actions)
{
    for (const QString &action : actions) {
        if (action.contains(u'='))
            t.enter(action.section(u'=', 0, 0), action.section(u'=', 1));
        else if (action.contains(u':'))
            t.choose(action.section(u':', 0, 0), action.section(u':', 1));
        else
            t.click(action);
    }
}

struct RoundTrip {
    TaskKind kind;
    int model;
    QStringList edits;
};

const RoundTrip kRoundTrips[] = {
    {TaskFrequencyDistance,
     0,
     {"Start_Frequency=700.25", "Stop_Frequency=960", "Foot", "Stop_Distance=123.45",
      "Alt DTF Band"}},
    {TaskAmplitude, 3, {"Top=-10", "Bottom=-45.5"}},
    {TaskGeneral, 2, {"On", "0 dBm", "Average=3"}},
    {TaskDataPoint, 2, {"1001"}},
    {TaskWindowing, 2, {"MSL (Minimum Side Lobe)"}},
    {TaskDtf, 2, {"Foot", "Propagation_Velocity=0.8123", "Cable_Loss=0.0456"}},
    {TaskDtf, 1, {"Manual"}},
    {TaskRfPower,
     2,
     {"RF_Model:P43A/B", "Display_Mode:VSWR", "Display_Maximum=12.5", "Limit_Mode:Peak",
      "Limit_Minimum=-30", "Frequency=2400", "External_offset=-3.25"}},
    {TaskOpticalPower, 2, {"Wavelength_Param:850", "Threshold_Param=-20.5"}},
    {TaskOpticalPower, 2, {"Auto", "Off"}},
    {TaskFiber, 2, {"Profile:Ribbon, MM (IEC-61300-3-35)", "Tip:Ribbon Tips - LongReach"}},
    {TaskBiasTee, 2, {"Voltage_Param=24"}},
    {TaskBiasTee, 2, {"Manual"}},
    {TaskZoomZones,
     3,
     {"Zone2_Start_Frequency=5100", "Zone3_Stop_Frequency=5800.5", "Zone 1",
      "Peak_Valley_Search:Peak and Valley all zones"}}};

} // namespace

TEST(PageRoundTrip, ReopenedStepShowsWhatWasSaved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int n = 0;
    for (const RoundTrip &trip : kRoundTrips) {
        SCOPED_TRACE("round trip " + std::to_string(n) + ", kind " + std::to_string(trip.kind));
        PageUnderTest t(trip.kind, trip.model);
        stepDescription(t.step) = QStringLiteral("step %1").arg(n);
        t.rebind();
        drive(t, trip.edits);
        t.page->descriptionField()->setFocus(); // the last field commits as the user leaves it
        const QStringList before = shownState(*t.page);
        EXPECT_NE(t.step, TaskStep(makeDefaultRecord(trip.kind, trip.model, kDistanceMeter)))
            << "the edits reached the record";

        WizardDocument saved;
        saved.appendSequence()->insertStep(-1, t.step.record);
        const QString path = dir.filePath(QStringLiteral("trip%1.wzd").arg(n++));
        ASSERT_TRUE(VX_CAAXML_PARSER(&saved, trip.model).Save_Wizard(path));
        WizardDocument reopened;
        ASSERT_EQ(VX_CAAXML_PARSER(&reopened, trip.model).Read_Wizard_File(path), 1);
        ASSERT_EQ(reopened.sequenceCount(), 1);
        ASSERT_EQ(reopened.sequence(0)->stepCount(), 1);

        t.page->Bind(nullptr);
        t.page->Bind(reopened.sequence(0)->step(0));
        EXPECT_EQ(shownState(*t.page), before);
    }
}
