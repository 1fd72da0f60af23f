// The text rendering for git: stable, one line per field, files by digest.
#include "review/text/WizardText.h"
#include "support/TestFiles.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <functional>

using namespace stepvane;
using namespace stepvane::test;

namespace {

WizardDocument sample(const QString &picture)
{
    WizardDocument doc;
    doc.Title = QStringLiteral("Tower");
    TestingSequence *s = doc.appendSequence();
    s->Title = QStringLiteral("Sweep");
    PromptTask prompt;
    prompt.Description = QStringLiteral("Connect\nthe cable");
    prompt.images[2] = {QStringLiteral("note"), QStringLiteral("p.jpg"), picture, 5, 2, 3};
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
         [](WizardDocument &d) { d.Title = QStringLiteral("Mast"); },
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
