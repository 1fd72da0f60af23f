// Taking theirs' value for a listed conflict: the merge says where the item
// is in theirs' wizard, and one field, picture slot or marker is copied.
#include "review/merge/TakeSide.h"
#include "review/merge/WizardMerge.h"

#include <gtest/gtest.h>

using namespace stepvane;

namespace {

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

} // namespace

TEST(TakeSide, CopiesExactlyTheNamedFieldSlotOrMarker)
{
    const AttachedImage a = picture(QStringLiteral("a.png")), b = picture(QStringLiteral("b.png"));
    MarkerPeakTask theirsMarkers;
    theirsMarkers.markers[2].X_Value = 1234;
    theirsMarkers.Description = QStringLiteral("theirs");
    struct Case {
        const char *name;
        TaskRecord record, from;
        QString field;
        bool copied;
        TaskRecord expected;
    };
    const Case cases[] = {
        {"scalar", prompt({a}, QStringLiteral("ours")), prompt({b}, QStringLiteral("theirs")),
         QStringLiteral("Description"), true, prompt({a}, QStringLiteral("theirs"))},
        {"picture slot", prompt({a, a}, QStringLiteral("ours")),
         prompt({a, b}, QStringLiteral("theirs")), QStringLiteral("ImageNum_1"), true,
         prompt({a, b}, QStringLiteral("ours"))},
        {"slot theirs lacks", prompt({a, b}, QStringLiteral("ours")),
         prompt({a}, QStringLiteral("ours")), QStringLiteral("ImageNum_1"), true,
         prompt({a}, QStringLiteral("ours"))},
        {"slot ours lacks", prompt({a}, QStringLiteral("ours")),
         prompt({a, b}, QStringLiteral("ours")), QStringLiteral("ImageNum_1"), true,
         prompt({a, b}, QStringLiteral("ours"))},
        {"marker", MarkerPeakTask{}, theirsMarkers, QStringLiteral("Num3"), true,
         [&] {
             MarkerPeakTask m;
             m.markers[2].X_Value = 1234;
             return m;
         }()},
        {"unknown field", prompt({a}, QStringLiteral("ours")), prompt({b}, QStringLiteral("x")),
         QStringLiteral("Start_Frequency"), false, prompt({a}, QStringLiteral("ours"))},
        {"other kind", HoldTask{}, CalibrationTask{}, QStringLiteral("Description"), false,
         HoldTask{}},
    };
    for (const Case &c : cases) {
        TaskRecord record = c.record;
        EXPECT_EQ(copyRecordField(record, c.from, c.field), c.copied) << c.name;
        EXPECT_TRUE(record == c.expected) << c.name;
    }
}

TEST(TakeSide, MergeNamesTheirsPlaceSoTheirsValueCanBeTaken)
{
    auto frequency = [](double start) {
        FrequencyDistanceTask f;
        f.Start_Frequency = start;
        return f;
    };
    WizardDocument base;
    TestingSequence *a = base.appendSequence();
    a->Title = QStringLiteral("A");
    a->insertStep(-1, frequency(100));
    WizardDocument ours = base, theirs = base;
    ours.sequence(0)->step(0)->as<FrequencyDistanceTask>()->Start_Frequency = 200;
    // Theirs puts a sequence first and a step before the changed one.
    theirs.sequence(0)->step(0)->as<FrequencyDistanceTask>()->Start_Frequency = 300;
    theirs.sequence(0)->insertStep(0, HoldTask{});
    auto added = std::make_unique<TestingSequence>();
    added->Title = QStringLiteral("Added");
    added->insertStep(-1, CalibrationTask{});
    theirs.insertSequence(0, std::move(added));

    WizardMergeResult merged = mergeWizards({base, 2}, {ours, 2}, {theirs, 2});
    ASSERT_EQ(merged.conflicts.size(), 1u);
    const MergeConflict &c = merged.conflicts.front();
    ASSERT_EQ(c.kind, MergeConflict::Field);
    EXPECT_EQ(c.theirsSequence, 1);
    EXPECT_EQ(c.theirsStep, 1);
    const TaskStep *there = theirs.sequence(c.theirsSequence)->step(c.theirsStep);
    TaskStep &step = *merged.doc.sequence(c.sequence)->step(c.step);
    ASSERT_TRUE(there && copyRecordField(step.record, there->record, c.field));
    EXPECT_EQ(step.as<FrequencyDistanceTask>()->Start_Frequency, 300);
}
