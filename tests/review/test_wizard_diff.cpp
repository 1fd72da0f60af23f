// The review diff: matching of inserted, removed, moved and edited steps and
// sequences, the header, values in the summary's words, attachments by bytes.
#include "review/diff/WizardDiff.h"
#include "support/TestFiles.h"

#include <QJsonArray>

#include "support/QStringPrint.h"

#include <gtest/gtest.h>

#include <functional>

using namespace stepvane;
using namespace stepvane::test;

namespace {

constexpr int kModel = 2;

TaskRecord amplitude(double top)
{
    AmplitudeTask r;
    r.Top = top;
    return r;
}

TaskRecord hold(const QString &description)
{
    HoldTask r;
    r.Description = description;
    return r;
}

// A wizard with one sequence "Sweep": Amplitude 65, Hold "h", Calibration.
WizardDocument base()
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    s->insertStep(-1, amplitude(65));
    s->insertStep(-1, hold("h"));
    s->insertStep(-1, CalibrationTask{});
    return doc;
}

// edit turns the second of two equal wizards into the changed one; start,
// when given, first changes both alike.
struct EditCase {
    const char *name;
    std::function<void(WizardDocument &)> edit;
    QStringList expected;
    std::function<void(WizardDocument &)> start = {};
    int modelB = kModel;
};

void appendStep(WizardDocument &d, TaskRecord r)
{
    d.sequence(0)->insertStep(-1, std::move(r));
}

} // namespace

TEST(WizardDiff, EditsGiveExactLines)
{
    SaveTask manual;
    manual.SaveMode = 2;
    QTemporaryDir dir;
    QByteArray bytes(300, 'p');
    const QString first = dir.filePath("one/a.png"), same = dir.filePath("two/a.png"),
                  changed = dir.filePath("three/a.png");
    for (const QString &file : {first, same, changed})
        QDir().mkpath(QFileInfo(file).path());
    ASSERT_TRUE(writeAll(first, bytes) && writeAll(same, bytes));
    bytes[150] = 'q';
    ASSERT_TRUE(writeAll(changed, bytes));
    PromptTask prompt;
    prompt.images[2] = {"look", "a.png", first, 300, 10, 10};
    const auto addPrompt = [&](WizardDocument &d) { appendStep(d, prompt); };
    const auto pictureAt = [](const QString &file) {
        return [file](WizardDocument &d) {
            d.sequence(0)->step(3)->as<PromptTask>()->images[2].TransImageName = file;
        };
    };
    const EditCase cases[] = {
        {"no edit", [](WizardDocument &) {}, {}},
        {"insert keeps later steps matched",
         [](WizardDocument &d) { d.sequence(0)->insertStep(1, AutoScaleTask{}); },
         {"Sequence 1 \"Sweep\" changed", "  Step 2 Auto scale added"}},
        {"delete",
         [](WizardDocument &d) { d.sequence(0)->removeStep(0); },
         {"Sequence 1 \"Sweep\" changed", "  Step 1 Amplitude removed"}},
        {"a duplicated step is added, its original stays matched",
         [](WizardDocument &d) { appendStep(d, amplitude(65)); },
         {"Sequence 1 \"Sweep\" changed", "  Step 4 Amplitude added"}},
        {"move",
         [](WizardDocument &d) { d.sequence(0)->moveStep(0, 2); },
         {"Sequence 1 \"Sweep\" changed", "  Step 3 Amplitude moved from 1"}},
        {"edit a value",
         [](WizardDocument &d) { d.sequence(0)->step(0)->as<AmplitudeTask>()->Top = 70; },
         {"Sequence 1 \"Sweep\" changed", "  Step 1 Amplitude changed",
          "    Top : 65.00 \u2192 70.00"}},
        {"edit after an insert, numbered in both files",
         [](WizardDocument &d) {
             d.sequence(0)->insertStep(0, AutoScaleTask{});
             d.sequence(0)->step(2)->as<HoldTask>()->Description = "wait";
         },
         {"Sequence 1 \"Sweep\" changed", "  Step 1 Auto scale added",
          "  Step 3 (was 2) Hold (wait) changed", "    Description : h \u2192 wait"}},
        {"sequence title",
         [](WizardDocument &d) { d.sequence(0)->Title = "Feeder"; },
         {"Sequence 1 \"Feeder\" changed", "  Title : Sweep \u2192 Feeder"}},
        {"sequence added before",
         [](WizardDocument &d) {
             auto s = std::make_unique<TestingSequence>();
             s->Title = "New";
             s->insertStep(-1, HoldTask{});
             d.insertSequence(0, std::move(s));
         },
         {"Sequence 1 \"New\" added (1 step)"}},
        {"sequence removed",
         [](WizardDocument &d) { d.removeSequence(0); },
         {"Sequence 1 \"Sweep\" removed (3 steps)"}},
        {"header",
         [](WizardDocument &d) {
             d.Title = "Mast";
             d.SeqEndOption = 1;
             d.setPassword("secret");
         },
         {"Header", "  Stepvane title : Tower \u2192 Mast",
          "  End option : Manual \u2192 Automation", "  Password : not set \u2192 set"}},
        // The password itself never shows, only whether there is one.
        {"another password",
         [](WizardDocument &d) { d.setPassword("bravo"); },
         {},
         [](WizardDocument &d) { d.setPassword("alpha"); }},
        {"password cleared",
         [](WizardDocument &d) { d.clearPassword(); },
         {"Header", "  Password : set \u2192 not set"},
         [](WizardDocument &d) { d.setPassword("alpha"); }},
        // Either of two swapped sequences may be the one that moved; one line says it.
        {"sequences swapped",
         [](WizardDocument &d) { d.moveSequence(1, 0); },
         {"Sequence 2 \"Sweep\" moved from 1"},
         [](WizardDocument &d) {
             TestingSequence *second = d.appendSequence();
             second->Title = "Feeder";
             second->insertStep(-1, HoldTask{});
         }},
        {"model",
         [](WizardDocument &) {},
         {"Header", "  Compatible Spanlyx : VX330A \u2192 VX340A"},
         {},
         3},
        {"repeated labels carry their section",
         [](WizardDocument &d) {
             d.sequence(0)->step(3)->as<RfPowerTask>()->Limit_Minimum = 10;
             d.sequence(0)->step(3)->as<RfPowerTask>()->Display_Mode = 1;
         },
         {"Sequence 1 \"Sweep\" changed", "  Step 4 RF Power changed", "    - <Display> / Average",
          "    + <Display> / Peak", "    <Limit> / Minimum : 21.00 \u2192 10.00"},
         [](WizardDocument &d) { appendStep(d, RfPowerTask{}); }},
        {"values the summary hides still count",
         [](WizardDocument &d) { d.sequence(0)->step(3)->as<SaveTask>()->BaseFileName = "site"; },
         {"Sequence 1 \"Sweep\" changed", "  Step 4 Save changed",
          "    settings that the testing summary does not show changed"},
         [&](WizardDocument &d) { appendStep(d, manual); }},
        // Two readings restore to different paths; only the bytes count.
        {"picture at another path", pictureAt(same), {}, addPrompt},
        {"picture bytes changed",
         pictureAt(changed),
         {"Sequence 1 \"Sweep\" changed", "  Step 4 Prompt changed",
          "    3. Image file a.png : content changed"},
         addPrompt},
    };
    for (const EditCase &c : cases) {
        SCOPED_TRACE(c.name);
        WizardDocument a = base();
        if (c.start)
            c.start(a);
        WizardDocument b = a;
        c.edit(b);
        const WizardDiff diff = diffWizards({a, kModel}, {b, c.modelB});
        EXPECT_EQ(diffAsText(diff), c.expected);
        EXPECT_EQ(diff.isEqual(), c.expected.isEmpty());
    }
}

TEST(WizardDiff, JsonCarriesPositionsFromOne)
{
    const WizardDocument a = base();
    WizardDocument b = base();
    b.sequence(0)->removeStep(1);
    const QJsonObject json = diffAsJson(diffWizards({a, kModel}, {b, kModel}));
    EXPECT_FALSE(json.value("equal").toBool());
    const QJsonObject step = json["sequences"][0]["steps"][0].toObject();
    EXPECT_EQ(step.value("change").toString(), "removed");
    EXPECT_EQ(step.value("old").toInt(), 2);
    EXPECT_TRUE(step.value("new").isNull());
    EXPECT_EQ(step.value("task").toString(), "Hold");
}
