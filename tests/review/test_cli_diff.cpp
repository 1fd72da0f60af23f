// stepvane-cli diff on wizard files written by the wizard writer.
#include "document/VX_CAAXML_PARSER.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

class CliDiff : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString save(const WizardDocument &doc, const QString &name)
    {
        WizardDocument copy = doc;
        VX_CAAXML_PARSER parser(&copy, 1);
        EXPECT_TRUE(parser.Save_Wizard(path(name))) << name.toStdString();
        return path(name);
    }
    // A prompt whose first slot shows the picture at picturePath.
    WizardDocument promptWizard(const QString &picturePath)
    {
        WizardDocument doc;
        doc.Title = QStringLiteral("Tower");
        TestingSequence *s = doc.appendSequence();
        s->Title = QStringLiteral("Antenna");
        PromptTask prompt;
        prompt.images[0] = {QStringLiteral("Point it up"),
                            QStringLiteral("mast.png"),
                            picturePath,
                            Size(readAll(picturePath).size()),
                            4,
                            4};
        s->insertStep(-1, AmplitudeTask{});
        s->insertStep(-1, prompt);
        return doc;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliDiff, EqualFilesExitZeroAndPrintNothing)
{
    ASSERT_TRUE(writeAll(path("mast.png"), QByteArray(64, 'x')));
    const WizardDocument doc = promptWizard(path("mast.png"));
    const CliRun run = cli({"diff", save(doc, "a.wzd"), save(doc, "b.wzd")});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(CliDiff, OneChangedPictureByteAndAValue)
{
    QByteArray bytes(64, 'x');
    ASSERT_TRUE(writeAll(path("mast.png"), bytes));
    const QString a = save(promptWizard(path("mast.png")), "a.wzd");
    bytes[10] = 'y';
    ASSERT_TRUE(writeAll(path("mast.png"), bytes));
    WizardDocument changed = promptWizard(path("mast.png"));
    changed.sequence(0)->step(0)->as<AmplitudeTask>()->Bottom = -5;
    const QString b = save(changed, "b.wzd");

    const CliRun run = cli({"diff", a, b});
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Sequence 1 \"Antenna\" changed\n"
                                      "  Step 1 Amplitude changed\n"
                                      "    Bottom : 1.00 \u2192 -5.00\n"
                                      "  Step 2 Prompt changed\n"
                                      "    1. Image file mast.png : content changed\n"));

    const CliRun json = cli({"diff", a, b, "--json"});
    EXPECT_EQ(json.code, 1);
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_FALSE(o.value("equal").toBool(true));
}

TEST_F(CliDiff, TroubleAndUsageExitTwo)
{
    const QString a = save(WizardDocument{}, "a.wzd");
    ASSERT_TRUE(writeAll(path("broken.wzd"), "<STEPVANE"));
    const QStringList cases[] = {{"diff", a},
                                 {"diff", a, a, a},
                                 {"diff", a, a, "--model", "9"},
                                 {"diff", a, path("missing.wzd")},
                                 {"diff", path("broken.wzd"), a}};
    for (const QStringList &args : cases) {
        const CliRun run = cli(args);
        EXPECT_EQ(run.code, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
}
