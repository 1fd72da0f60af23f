// Fields that say what they did with the input: a refused key names what the
// field takes, a commit that clamps or moves a value (the typed one or
// another) shows a note by the changed field, and undoing a unit switch
// brings the editor-wide unit back with the converted values.
#include "PageTestSupport.h"

#include "document/ModelTables.h"
#include "shell/history/DocumentHistory.h"
#include "widgets/FieldNote.h"

using namespace page_test;

namespace {

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
     ""},
};

} // namespace

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
         "Numbers and marker terms only: digits, \".\", \"-\", M, <, > and ;"},
    };
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
