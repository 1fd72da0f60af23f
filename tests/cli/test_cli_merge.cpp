// stepvane-cli merge and text run as a user (and git) runs them: exit codes,
// the output file, JSON conflicts, the file type read from the content.
#include "document/VX_CAAXML_PARSER.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace stepvane;
using namespace stepvane::test;

namespace {

WizardDocument wizard(double start, const QString &title = QStringLiteral("A"))
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
        {{"merge", b, o, t, "-o", out, "--json"}, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cli(c.args).code, c.code) << c.args.join(' ').toStdString();

    // The conflict case wrote a readable wizard with ours' value and listed it.
    const CliRun run = cli({"merge", b, o, t, "-o", out, "--json"});
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
