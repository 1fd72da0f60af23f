// stepvane-cli merge and text run as a user (and git) runs them: exit codes,
// the output file, JSON conflicts, the file type read from the content. Then
// wizards in a real git repository set up by `stepvane-cli git-setup`: two
// branches merged by `git merge` through the merge driver, and the history
// read through the textconv. No configuration outside the test's folder is
// read or written.
#include "document/VX_CAAXML_PARSER.h"
#include "review/diff/WizardDiff.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <functional>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {
WizardDocument wizard(double start, const QString &title = "A")
{
    WizardDocument doc;
    TestingSequence *s = doc.appendSequence();
    s->Title = title;
    AmplitudeTask a;
    a.Top = start;
    s->insertStep(-1, a);
    return doc;
}

// Written under names without an extension, as git hands them over.
QString write(const QTemporaryDir &dir, const char *name, WizardDocument doc, bool unit = false)
{
    const QString path = dir.filePath(name);
    VX_CAAXML_PARSER parser(&doc, 2);
    EXPECT_TRUE(unit ? parser.Save_Testing_Unit(0, path) : parser.Save_Wizard(path));
    return path;
}

constexpr int kModel = 2;

class GitMerge : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath("repo");
        QDir(dir.path()).mkpath("home");
        writeAll(dir.filePath("home/gitconfig"), QByteArray());
        env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.filePath("home"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("home"));
        env.insert("GIT_CONFIG_GLOBAL", dir.filePath("home/gitconfig"));
        env.insert("GIT_CONFIG_NOSYSTEM", "1");
        git({"init", "-q", "-b", "main"});
        git({"config", "user.name", "Test"});
        git({"config", "user.email", "test@example.invalid"});
        ASSERT_EQ(run(STEPVANE_BIN_DIR "/stepvane-cli", {"git-setup"}).code, 0);
        git({"add", ".gitattributes"});
    }

    CliRun run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.filePath("repo"));
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitCode(), QString::fromUtf8(p.readAll()), {}};
    }
    CliRun git(const QStringList &args) { return run("git", args); }
    QString wizard() const { return dir.filePath("repo/site.wzd"); }

    void commit(const WizardDocument &doc, const QString &message)
    {
        WizardDocument copy = doc;
        ASSERT_TRUE(VX_CAAXML_PARSER(&copy, kModel).Save_Wizard(wizard()));
        git({"add", "site.wzd"});
        ASSERT_EQ(git({"commit", "-q", "-m", message}).code, 0);
    }

    QTemporaryDir dir;
    QProcessEnvironment env;
};

using Edit = std::function<void(WizardDocument &)>;

FrequencyDistanceTask &freqOf(WizardDocument &d)
{
    return *d.sequence(0)->step(1)->as<FrequencyDistanceTask>();
}

PromptTask &promptOf(WizardDocument &d)
{
    return *d.sequence(0)->step(0)->as<PromptTask>();
}

} // namespace

TEST(CliMerge, ExitCodesOutputAndJson)
{
    QTemporaryDir dir;
    const QString b = write(dir, "b", wizard(65)), o = write(dir, "o", wizard(40)),
                  t = write(dir, "t", wizard(30)), t2 = write(dir, "t2", wizard(65, "B"));
    const QString unit = write(dir, "u", wizard(65), true), out = dir.filePath("out");
    writeAll(dir.filePath("junk"), "not xml");

    const struct {
        QStringList args;
        int code;
    } cases[] = {
        {{"merge", b, o}, 2},
        {{"merge", b, o, t, "--bogus"}, 2},
        {{"merge", b, o, dir.filePath("junk")}, 2},
        {{"merge", b, o, dir.filePath("missing")}, 2},
        {{"merge", b, o, unit}, 2},
        {{"merge", b, o, t2, "-o", out}, 0},
        {{"merge", unit, unit, unit, "-o", dir.filePath("unit-out")}, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cli(c.args).code, c.code) << c.args.join(' ').toStdString();

    // The conflict case wrote a readable wizard with ours' value and listed it.
    const CliRun run = cli({"merge", b, o, t, "-o", out, "--json"});
    EXPECT_EQ(run.code, 1);
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonArray conflicts = json["conflicts"].toArray();
    ASSERT_EQ(conflicts.size(), 1) << run.out.toStdString();
    const QJsonObject c = conflicts[0].toObject();
    EXPECT_EQ(c["kind"].toString(), "field");
    EXPECT_EQ(c["field"].toString(), "Top");
    EXPECT_EQ(QStringList({c["base"].toString(), c["ours"].toString(), c["theirs"].toString()}),
              QStringList({"65", "40", "30"}));
    EXPECT_EQ(c["sequence"].toInt(), 1);
    EXPECT_EQ(c["step"].toInt(), 1);
    const CliRun text = cli({"text", out});
    EXPECT_EQ(text.code, 0);
    EXPECT_TRUE(text.out.contains("\nTop = 40\n")) << text.out.toStdString();
    EXPECT_TRUE(cli({"text", dir.filePath("unit-out")}).out.startsWith("Stepvane testing unit\n"));
}

TEST_F(GitMerge, BranchScenariosMergeAsWizards)
{
    const QString pictures[] = {dir.filePath("a.jpg"), dir.filePath("b.jpg")};
    writeAll(pictures[0], QByteArray(300, 'a'));
    writeAll(pictures[1], QByteArray(300, 'b'));
    const auto base = [&] {
        WizardDocument doc;
        doc.Title = "Site";
        for (const char *title : {"A", "B"}) {
            TestingSequence *s = doc.appendSequence();
            s->Title = QString::fromLatin1(title);
            PromptTask prompt;
            prompt.Description = "Connect";
            prompt.images[0] = {QString(), "p.jpg", pictures[0], 300, 4, 4};
            s->insertStep(-1, prompt);
            FrequencyDistanceTask f;
            f.Start_Frequency = 100;
            f.Stop_Frequency = 4000;
            s->insertStep(-1, f);
            s->insertStep(-1, HoldTask{});
        }
        return doc;
    };
    const Edit insertPrompt = [](WizardDocument &d) {
        PromptTask p;
        p.Description = "Safety first";
        d.sequence(0)->insertStep(0, p);
    };
    const Edit start250 = [](WizardDocument &d) { freqOf(d).Start_Frequency = 250; };
    const Edit start300 = [](WizardDocument &d) { freqOf(d).Start_Frequency = 300; };
    const Edit swap = [](WizardDocument &d) { d.moveSequence(1, 0); };
    const Edit stepInB = [](WizardDocument &d) {
        d.sequence(1)->step(2)->as<HoldTask>()->Description = "wait";
    };
    const Edit picture = [&](WizardDocument &d) {
        promptOf(d).images[0].TransImageName = pictures[1];
    };
    const Edit describe = [](WizardDocument &d) { promptOf(d).Description = "Plug"; };
    const Edit appendX = [](WizardDocument &d) { d.appendSequence()->Title = "X"; };
    const Edit appendY = [](WizardDocument &d) { d.appendSequence()->Title = "Y"; };
    const Edit remove = [](WizardDocument &d) { d.sequence(0)->removeStep(1); };
    const Edit both = [](WizardDocument &d) { d.Title = "Both"; };

    // Each side's edits and the merged wizard's, applied to the base in turn.
    struct Case {
        const char *name;
        std::vector<Edit> ours, theirs, expected;
        bool conflict;
    };
    const Case cases[] = {
        {"insertion vs field change", {insertPrompt}, {start250}, {start250, insertPrompt}, false},
        {"sequences reordered vs a step changed", {swap}, {stepInB}, {stepInB, swap}, false},
        {"new picture vs new description", {picture}, {describe}, {picture, describe}, false},
        {"identical changes", {both, start250}, {both}, {both, start250}, false},
        {"both append a sequence", {appendX}, {appendY}, {appendX, appendY}, true},
        {"same field changed twice", {start250}, {start300}, {start250}, true},
        {"delete vs change", {remove}, {start250}, {remove}, true},
    };
    const auto edited = [&](const std::vector<Edit> &edits) {
        WizardDocument doc = base();
        for (const Edit &e : edits)
            e(doc);
        return doc;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        git({"checkout", "-q", "--orphan", QString::fromLatin1(c.name).replace(' ', '-')});
        commit(base(), "base");
        git({"checkout", "-q", "-b", "theirs"});
        commit(edited(c.theirs), "theirs");
        git({"checkout", "-q", "-"});
        commit(edited(c.ours), "ours");
        const CliRun merge = git({"merge", "-q", "--no-edit", "theirs"});
        EXPECT_EQ(merge.code != 0, c.conflict) << merge.out.toStdString();
        WizardDocument merged;
        ASSERT_EQ(VX_CAAXML_PARSER(&merged, kModel).Read_Wizard_File(wizard()), 1);
        const WizardDiff diff = diffWizards({edited(c.expected), kModel}, {merged, kModel});
        EXPECT_TRUE(diff.isEqual()) << diffAsText(diff).join('\n').toStdString();
        if (c.conflict) {
            EXPECT_TRUE(merge.out.contains("CONFLICT (")) << merge.out.toStdString();
            EXPECT_TRUE(merge.out.contains("theirs: ")) << merge.out.toStdString();
            git({"merge", "--abort"});
        }
        git({"branch", "-q", "-D", "theirs"});
    }
}

TEST_F(GitMerge, HistoryShowsTheChangedFieldsLine)
{
    WizardDocument doc;
    TestingSequence *s = doc.appendSequence();
    s->Title = "A";
    s->insertStep(-1, HoldTask{});
    FrequencyDistanceTask f;
    f.Start_Frequency = 100;
    s->insertStep(-1, f);
    commit(doc, "first");
    freqOf(doc).Start_Frequency = 250;
    commit(doc, "second");
    const CliRun log = git({"log", "-p", "-1", "--format=", "--unified=0"});
    const QStringList changed = log.out.split('\n').filter(QRegularExpression("^[-+][^-+]"));
    EXPECT_EQ(changed, QStringList({"-Start_Frequency = 100", "+Start_Frequency = 250"}))
        << log.out.toStdString();
}
