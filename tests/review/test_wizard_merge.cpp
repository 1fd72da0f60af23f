// The three-way merge: one-sided changes taken, identical changes taken once,
// each kind of conflict listed with ours' value kept in a complete wizard;
// taking theirs' value for a listed conflict, found where theirs has it; and
// the text rendering for git: stable, one line per field, files by digest.
#include "review/merge/TakeSide.h"
#include "review/merge/WizardMerge.h"
#include "review/text/WizardText.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {
constexpr int kModel = 2;

TaskRecord frequency(double start)
{
    FrequencyDistanceTask r;
    r.Start_Frequency = start;
    r.Stop_Frequency = 4000;
    return r;
}

TaskRecord described(TaskRecord r, const QString &text)
{
    std::visit([&](auto &x) { x.Description = text; }, r);
    return r;
}

// Two sequences: "A" = Prompt, Frequency 100, Hold; "B" = Calibration, Amplitude.
WizardDocument base()
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *a = doc.appendSequence();
    a->Title = "A";
    a->insertStep(-1, described(PromptTask{}, "Connect"));
    a->insertStep(-1, frequency(100));
    a->insertStep(-1, HoldTask{});
    TestingSequence *b = doc.appendSequence();
    b->Title = "B";
    b->insertStep(-1, CalibrationTask{});
    b->insertStep(-1, AmplitudeTask{});
    return doc;
}

using Edit = std::function<void(WizardDocument &)>;

FrequencyDistanceTask &freqOf(WizardDocument &d)
{
    return *d.sequence(0)->step(1)->as<FrequencyDistanceTask>();
}

using MC = MergeConflict;

struct Case {
    const char *name;
    Edit ours, theirs;
    std::vector<Edit> expected; // applied to the base in turn: the merged wizard
    std::vector<MC::Kind> conflicts;
};

AttachedImage picture(const QString &name)
{
    AttachedImage image;
    image.ImageName = name;
    image.TransImageName = QStringLiteral("/copies/") + name;
    image.Image_filesize = 10;
    return image;
}

PromptTask prompt(std::vector<AttachedImage> images, const QString &text)
{
    PromptTask p;
    p.images = std::move(images);
    p.Description = text;
    return p;
}

WizardDocument sample(const QString &picture)
{
    WizardDocument doc;
    doc.Title = "Tower";
    TestingSequence *s = doc.appendSequence();
    s->Title = "Sweep";
    PromptTask prompt;
    prompt.Description = "Connect\nthe cable";
    prompt.images[2] = {"note", "p.jpg", picture, 5, 2, 3};
    s->insertStep(-1, prompt);
    FrequencyDistanceTask f;
    f.Start_Frequency = 100.5;
    s->insertStep(-1, f);
    s->insertStep(-1, LimitTask{});
    return doc;
}

// The lines of b that a's lines do not have, and the other way round.
QStringList changedLines(const QStringList &a, const QStringList &b)
{
    QStringList out;
    for (int i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            out << a.value(i) << b.value(i);
    return out;
}

} // namespace

TEST(WizardMerge, ScenariosGiveExactWizardsAndConflicts)
{
    const Edit insert = [](WizardDocument &d) {
        d.sequence(0)->insertStep(0, described(PromptTask{}, "Safety"));
    };
    const Edit start250 = [](WizardDocument &d) { freqOf(d).Start_Frequency = 250; };
    const Edit start300 = [](WizardDocument &d) { freqOf(d).Start_Frequency = 300; };
    const Edit stop3000 = [](WizardDocument &d) { freqOf(d).Stop_Frequency = 3000; };
    const Edit swap = [](WizardDocument &d) { d.moveSequence(1, 0); };
    const Edit top30 = [](WizardDocument &d) {
        d.sequence(1)->step(1)->as<AmplitudeTask>()->Top = 30;
    };
    const Edit appendX = [](WizardDocument &d) { d.appendSequence()->Title = "X"; };
    const Edit appendY = [](WizardDocument &d) { d.appendSequence()->Title = "Y"; };
    const Edit remove = [](WizardDocument &d) { d.sequence(0)->removeStep(1); };
    const Edit retitle = [](WizardDocument &d) { d.Title = "Mast"; };
    const Edit endOption = [](WizardDocument &d) { d.SeqEndOption = 1; };
    const Edit moveHold = [](WizardDocument &d) { d.sequence(0)->moveStep(2, 0); };
    const Edit password = [](WizardDocument &d) { d.setPassword("pw"); };
    const Edit none = [](WizardDocument &) {};

    const Case cases[] = {
        {"insertion vs field change in one sequence", insert, start250, {start250, insert}, {}},
        {"sequences reordered vs a step changed", swap, top30, {top30, swap}, {}},
        {"different fields of one step", start250, stop3000, {start250, stop3000}, {}},
        {"identical changes taken once", start250, start250, {start250}, {}},
        {"identical insertions taken once", insert, insert, {insert}, {}},
        {"header fields from each side", retitle, endOption, {retitle, endOption}, {}},
        {"a move vs a field change", moveHold, start250, {start250, moveHold}, {}},
        {"theirs removes an untouched step", none, remove, {remove}, {}},
        {"both append a sequence", appendX, appendY, {appendX, appendY}, {MC::Insertions}},
        {"same field changed twice", start250, start300, {start250}, {MC::Field}},
        {"ours deletes what theirs changes", remove, start250, {remove}, {MC::RemovedChanged}},
        {"theirs deletes what ours changes", start250, remove, {start250}, {MC::RemovedChanged}},
        {"password vs a change", password, retitle, {password, retitle}, {MC::Password}},
        {"a change vs password: ours' kept", retitle, password, {retitle}, {MC::Password}},
    };
    for (const Case &c : cases) {
        WizardDocument b = base(), o = base(), t = base(), expected = base();
        c.ours(o);
        c.theirs(t);
        for (const Edit &e : c.expected)
            e(expected);
        const WizardMergeResult r = mergeWizards({b, kModel}, {o, kModel}, {t, kModel});
        EXPECT_TRUE(r.doc == expected) << c.name;
        std::vector<MC::Kind> kinds;
        for (const MergeConflict &k : r.conflicts)
            kinds.push_back(k.kind);
        EXPECT_EQ(kinds, c.conflicts) << c.name << "\n"
                                      << mergeConflictsAsText(r.conflicts).join('\n').toStdString();
    }
}

// The conflict names its place in the merged wizard and the three values, and
// where theirs has the item, so that theirs' value can be taken.
TEST(WizardMerge, ConflictNamesBothPlacesAndThreeValues)
{
    WizardDocument b = base(), o = base(), t = base();
    freqOf(o).Start_Frequency = 250;
    freqOf(t).Start_Frequency = 300.5;
    // Theirs puts a sequence first and a step before the changed one.
    t.sequence(0)->insertStep(0, HoldTask{});
    auto added = std::make_unique<TestingSequence>();
    added->Title = "Added";
    added->insertStep(-1, CalibrationTask{});
    t.insertSequence(0, std::move(added));
    WizardMergeResult r = mergeWizards({b, kModel}, {o, kModel}, {t, kModel});
    ASSERT_EQ(r.conflicts.size(), 1u);
    const MergeConflict &c = r.conflicts[0];
    ASSERT_EQ(c.kind, MergeConflict::Field);
    EXPECT_EQ(c.where, "sequence 2 \"A\", step 3 Frequency / Distance, Start_Frequency");
    EXPECT_EQ(QStringList({c.base, c.ours, c.theirs}), QStringList({"100", "250", "300.5"}));
    EXPECT_EQ(c.sequence, 1);
    EXPECT_EQ(c.step, 2);
    EXPECT_EQ(c.theirsSequence, 1);
    EXPECT_EQ(c.theirsStep, 2);
    const TaskStep *there = t.sequence(c.theirsSequence)->step(c.theirsStep);
    TaskStep &step = *r.doc.sequence(c.sequence)->step(c.step);
    ASSERT_TRUE(there && copyRecordField(step.record, there->record, c.field));
    EXPECT_EQ(step.as<FrequencyDistanceTask>()->Start_Frequency, 300.5);
}

TEST(WizardMerge, PicturesCompareByBytesAndModelChangeConflicts)
{
    QTemporaryDir dir;
    const QString p1 = dir.filePath("one/p.jpg"), p2 = dir.filePath("two/p.jpg"),
                  p3 = dir.filePath("three/p.jpg");
    QDir(dir.path()).mkpath("one"), QDir(dir.path()).mkpath("two"),
        QDir(dir.path()).mkpath("three");
    ASSERT_TRUE(writeAll(p1, "same") && writeAll(p2, "same") && writeAll(p3, "diff"));
    auto withPicture = [](const QString &path) {
        WizardDocument d = base();
        AttachedImage &slot = d.sequence(0)->step(0)->as<PromptTask>()->images[3];
        slot = {QString(), "p.jpg", path, 4, 8, 8};
        return d;
    };
    // The same bytes under another working-copy path are no change; other
    // bytes of the same size are, and theirs' description change joins it.
    WizardDocument b = withPicture(p1), o = withPicture(p2), t = withPicture(p3);
    t.sequence(0)->step(0)->as<PromptTask>()->Description = "Plug in";
    WizardMergeResult r = mergeWizards({b, kModel}, {o, kModel}, {t, kModel});
    EXPECT_TRUE(r.clean());
    EXPECT_TRUE(r.doc == t);

    o = withPicture(p2);
    o.sequence(0)->step(0)->as<PromptTask>()->images[3].TransImageName = p3;
    t = withPicture(p1);
    t.sequence(0)->step(0)->as<PromptTask>()->images[3].ImageWidth = 9;
    r = mergeWizards({b, kModel}, {o, kModel}, {t, kModel});
    ASSERT_EQ(r.conflicts.size(), 1u);
    EXPECT_EQ(r.conflicts[0].field, "ImageNum_3");

    r = mergeWizards({b, kModel}, {b, 1}, {o, kModel});
    ASSERT_EQ(r.conflicts.size(), 1u);
    EXPECT_EQ(r.conflicts[0].kind, MergeConflict::Model);
    EXPECT_EQ(r.model, 1);
    r = mergeWizards({b, kModel}, {o, kModel}, {b, 1});
    ASSERT_EQ(r.conflicts.size(), 1u);
    EXPECT_EQ(r.model, kModel) << "ours' model kept at the conflict";
}

TEST(TakeSide, CopiesExactlyTheNamedFieldSlotOrMarker)
{
    const AttachedImage a = picture("a.png"), b = picture("b.png");
    MarkerPeakTask taken, theirsMarkers;
    taken.markers[2].X_Value = theirsMarkers.markers[2].X_Value = 1234;
    theirsMarkers.Description = "theirs";
    struct Case {
        const char *name;
        TaskRecord record, from;
        QString field;
        bool copied;
        TaskRecord expected;
    };
    const Case cases[] = {
        {"scalar", prompt({a}, "ours"), prompt({b}, "theirs"), "Description", true,
         prompt({a}, "theirs")},
        {"picture slot", prompt({a, a}, "ours"), prompt({a, b}, "theirs"), "ImageNum_1", true,
         prompt({a, b}, "ours")},
        {"slot theirs lacks", prompt({a, b}, "ours"), prompt({a}, "ours"), "ImageNum_1", true,
         prompt({a}, "ours")},
        {"slot ours lacks", prompt({a}, "ours"), prompt({a, b}, "ours"), "ImageNum_1", true,
         prompt({a, b}, "ours")},
        {"marker", MarkerPeakTask{}, theirsMarkers, "Num3", true, taken},
        {"unknown field", prompt({a}, "ours"), prompt({b}, "x"), "Start_Frequency", false,
         prompt({a}, "ours")},
        {"other kind", HoldTask{}, CalibrationTask{}, "Description", false, HoldTask{}},
    };
    for (const Case &c : cases) {
        TaskRecord record = c.record;
        EXPECT_EQ(copyRecordField(record, c.from, c.field), c.copied) << c.name;
        EXPECT_TRUE(record == c.expected) << c.name;
    }
}

TEST(WizardText, OneFieldChangedIsOneLineChanged)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath("p.jpg"), other = dir.filePath("q.jpg");
    ASSERT_TRUE(writeAll(picture, "bytes") && writeAll(other, "other"));
    const WizardDocument base = sample(picture);
    const QStringList text = wizardTextLines(base, 2, false);
    EXPECT_EQ(text, wizardTextLines(sample(picture), 2, false));
    EXPECT_TRUE(text.contains("-- Step 1.1 Prompt \"Connect\\nthe cable\""));
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash("bytes", QCryptographicHash::Sha256).toHex());
    EXPECT_TRUE(text.contains("ImageNum_2 = \"p.jpg\", 5 bytes, 2x3, SHA-256 " + sha +
                              ", comment \"note\""));

    struct Case {
        const char *name;
        std::function<void(WizardDocument &)> edit;
        QStringList lines; // old, new
    };
    const Case cases[] = {
        {"a real",
         [](WizardDocument &d) {
             d.sequence(0)->step(1)->as<FrequencyDistanceTask>()->Start_Frequency = 250;
         },
         {"Start_Frequency = 100.5", "Start_Frequency = 250"}},
        {"a picture's bytes",
         [&](WizardDocument &d) {
             d.sequence(0)->step(0)->as<PromptTask>()->images[2].TransImageName = other;
         },
         {}},
        {"the title",
         [](WizardDocument &d) { d.Title = "Mast"; },
         {"Title = \"Tower\"", "Title = \"Mast\""}},
        {"a check",
         [](WizardDocument &d) { d.sequence(0)->step(2)->as<LimitTask>()->Pass_Fail = 1; },
         {"Pass_Fail = 0", "Pass_Fail = 1"}},
    };
    for (const Case &c : cases) {
        WizardDocument changed = sample(picture);
        c.edit(changed);
        const QStringList diff = changedLines(text, wizardTextLines(changed, 2, false));
        ASSERT_EQ(diff.size(), 2) << c.name;
        if (!c.lines.isEmpty())
            EXPECT_EQ(diff, c.lines) << c.name;
        else
            EXPECT_TRUE(diff[0].startsWith("ImageNum_2 = ") && diff[0] != diff[1]) << c.name;
    }
    // No base64 and no working-copy path ever.
    EXPECT_FALSE(text.join('\n').contains(dir.path()));
}
