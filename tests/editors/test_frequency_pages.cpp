// The pages whose bounds come from the instrument model or the distance
// unit: frequency/distance, amplitude (with its help table) and zoom zones,
// driven with keys and clicks on every model.
//
// Fields that say what they did with the input: a refused key names what the
// field takes, a commit that clamps or moves a value (the typed one or
// another) shows a note by the changed field, and undoing a unit switch
// brings the editor-wide unit back with the converted values.
#include "PageTestSupport.h"

#include "document/ModelTables.h"
#include "document/NameTables.h"
#include "shell/history/DocumentHistory.h"
#include "widgets/FieldNote.h"

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

QString noteBy(const PageUnderTest &t, const QString &field)
{
    const FieldNote *note = FieldNote::of(t.edit(field));
    return note && note->isVisible() ? note->text() : QString();
}

int visibleNotes(const PageUnderTest &t)
{
    int shown = 0;
    for (const FieldNote *note : t.page->findChildren<FieldNote *>())
        shown += note->isVisible() ? 1 : 0;
    return shown;
}

struct Correction {
    const char *what;
    TaskKind kind;
    int model;
    std::function<void(TaskRecord &)> prepare;
    const char *field, *typed;
    const char *noted; // the field whose note is expected ("" for none at all)
    const char *note;
};

template <typename Record> std::function<void(TaskRecord &)> with(std::function<void(Record &)> f)
{
    return [f](TaskRecord &r) { f(std::get<Record>(r)); };
}

const Correction kCorrections[] = {
    {"clamped to the model's band", TaskFrequencyDistance, 0, nullptr, "Start_Frequency", "3000",
     "Start_Frequency", "Clamped to 2700.00, the model's highest frequency"},
    {"start pulled down to stop", TaskFrequencyDistance, 2,
     with<FrequencyDistanceTask>([](auto &r) { r.Start_Frequency = 500; }), "Stop_Frequency", "100",
     "Start_Frequency", "Start moved to 100.00 to stay below Stop"},
    {"stop distance pushed past start", TaskFrequencyDistance, 2, nullptr, "Start_Distance", "20",
     "Stop_Distance", "Stop moved to 21.00 to stay above Start"},
    {"typed top moved above bottom", TaskAmplitude, 2, nullptr, "Top", "1", "Top",
     "Top moved to 1.10 to stay above Bottom"},
    {"bottom kept below top", TaskAmplitude, 2, nullptr, "Bottom", "70", "Bottom",
     "Bottom moved to 64.90 to stay below Top"},
    {"whole number clamped", TaskBiasTee, 2, nullptr, "Voltage_Param", "245", "Voltage_Param",
     "Clamped to 32, the highest value allowed"},
    {"zoom zone start follows stop", TaskZoomZones, 3,
     with<ZoomZonesTask>([](auto &r) { r.Zone1_Start_Frequency = 2000; }), "Zone1_Stop_Frequency",
     "1500", "Zone1_Start_Frequency", "Start moved to 1500.00 to stay below Stop"},
    {"a value inside every rule", TaskFrequencyDistance, 2, nullptr, "Start_Frequency", "1000", "",
     ""}};

} // namespace

TEST(ModelPages, FrequencyAndZoomZoneCommitsClampToTheBandAndTheAmplitudeHelpFollows)
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

        // The amplitude page's help table lists the model's ranges.
        const QStringList help = PageUnderTest(TaskAmplitude, band.model).labels();
        const bool twoPort = band.model >= 2;
        EXPECT_EQ(help.contains("2 Port Transmission"), twoPort);
        EXPECT_EQ(help.contains("-119.9 to 100.0"), twoPort);
        EXPECT_EQ(help.contains("-179.9 to 180.0"), !twoPort) << "1 Port Phase";
        EXPECT_TRUE(help.contains("1.1 to 65"));
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

TEST(CorrectionNotes, ACommitThatChangesAValueSaysSoByThatField)
{
    for (const Correction &c : kCorrections) {
        SCOPED_TRACE(c.what);
        PageUnderTest t(c.kind, c.model);
        if (c.prepare) {
            c.prepare(t.step.record);
            t.rebind();
        }
        t.enter(c.field, c.typed);
        if (QString(c.noted).isEmpty()) {
            EXPECT_EQ(visibleNotes(t), 0);
            continue;
        }
        EXPECT_EQ(noteBy(t, c.noted), c.note);
        EXPECT_EQ(visibleNotes(t), 1) << "only the changed field speaks";
    }
}

TEST(CorrectionNotes, NotesGoWithTheRecord)
{
    PageUnderTest t(TaskFrequencyDistance, 0);
    t.enter("Start_Frequency", "3000");
    ASSERT_EQ(visibleNotes(t), 1);
    TaskStep other(makeDefaultRecord(TaskFrequencyDistance, 0, kDistanceMeter));
    t.page->Bind(&other);
    EXPECT_EQ(visibleNotes(t), 0) << "another step's page keeps no old note";
}

TEST(CorrectionNotes, AUnitSwitchNotesTheConvertedValuesAndUndoBringsTheUnitBack)
{
    WizardDocument doc;
    DocumentHistory history(doc);
    PageUnderTest t(TaskFrequencyDistance, 2);
    t.context.edits = &history;
    t.click("Foot");
    EXPECT_EQ(noteBy(t, "Stop_Distance"), "Converted to feet (was 15.00)");
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceFoot);

    history.undo();
    const auto units = [&] { return t.record<FrequencyDistanceTask>().Units; };
    EXPECT_EQ(units(), kDistanceMeter);
    EXPECT_DOUBLE_EQ(t.record<FrequencyDistanceTask>().Stop_Distance, 15.0);
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceMeter) << "new steps take the unit back too";
    history.redo();
    EXPECT_EQ(units(), kDistanceFoot);
    EXPECT_EQ(t.state.CurrentDistanceUnit, kDistanceFoot);
}

TEST(FieldKeys, ARefusedKeyIsNamedAndSelectAllWorksInNumberFields)
{
    struct Case {
        TaskKind kind;
        const char *field, *typed, *kept, *note;
    };
    const Case cases[] = {
        {TaskBiasTee, "Voltage_Param", "24.5", "245", "Whole numbers only: digits and \"-\""},
        {TaskAmplitude, "Top", "1x2", "12", "Numbers only: digits, \".\" and \"-\""},
        {TaskMarkerPeak, "markerValue", "M1<a", "M1<",
         "Numbers and marker terms only: digits, \".\", \"-\", M, <, > and ;"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        PageUnderTest t(c.kind);
        CVXEdit *e = t.edit(c.field);
        t.type(c.field, c.typed);
        EXPECT_EQ(e->text(), c.kept);
        EXPECT_EQ(noteBy(t, c.field), c.note);

        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(e->selectedText(), c.kept) << "Ctrl+A selects the whole text";
        QTest::keyClicks(e, "3");
        EXPECT_EQ(e->text(), "3") << "and the next key replaces it";
    }
}
