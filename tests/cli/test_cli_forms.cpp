// The command line as other tools take it: --option=value, --version,
// help COMMAND, passwords kept out of the process list, and the bash
// completion drawn from the table that prints the help.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {

// stepvane-cli with STEPVANE_PASSWORD set only when password is given, and
// bytes on its standard input.
CliRun cliWith(const QStringList &args, const char *password, const QByteArray &input = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("STEPVANE_PASSWORD");
    if (password)
        e.insert("STEPVANE_PASSWORD", password);
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class CliForms : public ::testing::Test {
protected:
    QString path(const QString &name) const { return dir.filePath(name); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        writeAll(path(name), bytes);
        return path(name);
    }
    // A wizard for model 2 guarded by the password "pw=1".
    QString lockedWizard()
    {
        const QJsonObject json{{"model", 2}, {"Title", "Locked"}, {"PW", "pw=1"}};
        EXPECT_EQ(cli({"build", file("in.json", QJsonDocument(json).toJson()), path("w.wzd")}).code,
                  0);
        return path("w.wzd");
    }
    QTemporaryDir dir;
};

TEST_F(CliForms, OptionValueWithEqualsSignReadsAsTheSeparateForm)
{
    const QString wzd = lockedWizard();
    const CliRun spaced = cli({"info", wzd, "--password", "pw=1", "--model", "2"});
    ASSERT_EQ(spaced.code, 0) << spaced.err.toStdString();
    // Only the first equals sign splits: the password itself holds one.
    EXPECT_EQ(cli({"info", wzd, "--password=pw=1", "--model=2"}).out, spaced.out);
    EXPECT_EQ(cli({"info", wzd, "--password=pw=1", "--model=1"}).code, 1); // made for VX330A

    struct Case {
        QStringList args;
        const char *stderrHas;
    } refused[] = {
        {{"check", wzd, "--json=yes"}, "option --json takes no value"},
        {{"info", wzd, "--colour=red"}, "unknown option --colour=red"},
        {{"info", wzd, "--model="}, "needs a whole number"},
        {{"send", wzd, "--port=x", "--tcp=127.0.0.1"}, "--port needs a whole number"},
    };
    for (const auto &c : refused) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.stderrHas)) << r.err.toStdString();
    }
    // The fleet reader of send sees --to=HOST as --to HOST.
    const CliRun fleet = cli({"send", wzd, "--to=[::1", "--no-check"});
    EXPECT_TRUE(fleet.err.contains("the closing ] is missing")) << fleet.err.toStdString();
}

TEST_F(CliForms, VersionAndHelpForms)
{
    const CliRun version = cli({"version"});
    ASSERT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("Stepvane "));
    EXPECT_EQ(cli({"--version"}).out, version.out);

    for (const char *command : {"check", "diff", "send", "version", "info", "dump", "build"}) {
        const CliRun own = cli({command, "--help"});
        const CliRun help = cli({"help", command});
        EXPECT_EQ(own.code, 0) << command;
        EXPECT_EQ(help.code, 0) << command;
        EXPECT_EQ(help.out, own.out) << command;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: stepvane-cli %1").arg(command)));
    }
    const CliRun overview = cli({"help"});
    EXPECT_EQ(overview.code, 0);
    EXPECT_EQ(cli({"--help"}).out, overview.out);
    EXPECT_FALSE(overview.out.contains("completion")) << "the completion command stays hidden";

    const CliRun unknown = cli({"help", "nonsense"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains("unknown command 'nonsense'"));
    EXPECT_EQ(cli({"help", "check", "diff"}).code, 2);
    // After "--" a word is a file name, even one that looks like --help.
    EXPECT_TRUE(cli({"info", "--", "--help"}).err.contains("--help: "));
}

TEST_F(CliForms, PasswordFromFileStandardInputOrEnvironment)
{
    const QString wzd = lockedWizard();
    const QString good = file("good", "pw=1\n");
    const QString crlf = file("crlf", "pw=1\r\n");
    const QString twoBreaks = file("two", "pw=1\n\n");
    const QString wrong = file("wrong", "pw=2");
    const char *none = nullptr; // STEPVANE_PASSWORD unset
    struct Case {
        QStringList args;
        const char *env;
        QByteArray input;
        int code;
    } cases[] = {
        {{"--password-file", good}, none, {}, 0},
        {{"--password-file", crlf}, none, {}, 0},
        {{"--password-file", twoBreaks}, none, {}, 1}, // one line break only is dropped
        {{"--password-file", wrong}, none, {}, 1},
        {{"--password-file=-"}, none, "pw=1\n", 0},
        {{"--password-file", "-"}, none, "pw=1", 0},
        {{"--password-file", "-"}, none, "pw=2\n", 1},
        {{}, "pw=1", {}, 0},
        {{}, "nope", {}, 1},
        {{"--password", "pw=1"}, "nope", {}, 0}, // the option wins over the environment
        {{"--password-file", good}, "nope", {}, 0},
        {{"--password", "pw=1", "--password-file", good}, none, {}, 2},
        {{"--password-file", path("missing")}, none, {}, 2},
        {{"--password-file", dir.path()}, none, {}, 2},
    };
    for (const auto &c : cases) {
        const CliRun r = cliWith(QStringList{"info", wzd} + c.args, c.env, c.input);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << " " << r.err.toStdString();
        if (c.code == 0) {
            EXPECT_TRUE(r.out.contains("Title: Locked"));
        }
    }
    // Both files of a diff from files, but only one of them from standard input.
    EXPECT_EQ(
        cliWith({"diff", wzd, wzd, "--old-password-file", good, "--new-password-file", crlf}, none)
            .code,
        0);
    EXPECT_EQ(cliWith({"diff", wzd, wzd, "--old-password-file", "-", "--new-password-file", "-"},
                      none, "pw=1\n")
                  .code,
              2);
}

// What the installed completion offers for the words typed so far.
QStringList complete(const QString &script, const QStringList &words)
{
    QProcess bash;
    bash.setWorkingDirectory(QStringLiteral(STEPVANE_SOURCE_DIR));
    bash.start("bash",
               QStringList{"-c",
                           "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); "
                           "_stepvane_cli; printf '%s\\n' \"${COMPREPLY[@]}\"",
                           "_", script, "stepvane-cli"} +
                   words);
    bash.waitForFinished(30000);
    QStringList out = QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n');
    out.removeAll(QString());
    return out;
}

QSet<QString> asSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

TEST_F(CliForms, BashCompletionOffersExactlyTheCommandsAndOptionsOfTheHelp)
{
    const CliRun script = cli({"completion", "bash"});
    ASSERT_EQ(script.code, 0);
    const QString scriptFile = file("completion.bash", script.out.toUtf8());

    QStringList commands;
    const QString overview = cli({"help"}).out;
    for (const QString &line : overview.section("Commands:\n", 1).split(u'\n'))
        if (line.startsWith("  "))
            commands << line.trimmed().section(u' ', 0, 0);
    ASSERT_GE(commands.size(), 10);
    EXPECT_EQ(asSet(complete(scriptFile, {""})),
              asSet(commands) + QSet<QString>({"help", "--help", "--version"}));
    EXPECT_EQ(asSet(complete(scriptFile, {"help", ""})), asSet(commands));

    static const QRegularExpression option("--[a-z][a-z0-9-]*");
    for (const QString &command : asSet(commands)) {
        QSet<QString> helped{"--help"};
        for (const auto &m : option.globalMatch(cli({"help", command}).out))
            helped << m.captured();
        EXPECT_EQ(asSet(complete(scriptFile, {command, "--"})), helped) << command.toStdString();
    }

    // A value completes from what the option takes: nothing for a number,
    // files, or folders only; --option=value as bash splits it.
    EXPECT_TRUE(complete(scriptFile, {"info", "--model", ""}).isEmpty());
    EXPECT_EQ(complete(scriptFile, {"info", "--password-file", "READ"}), QStringList{"README.md"});
    EXPECT_EQ(complete(scriptFile, {"summary", "--pdf", "=", "READ"}), QStringList{"README.md"});
    EXPECT_TRUE(complete(scriptFile, {"export", "--html", "READ"}).isEmpty());
    EXPECT_EQ(complete(scriptFile, {"export", "--html", "sr"}), QStringList{"src"});
}

} // namespace

// Output that does not reach its file is a failure with its reason, not a
// success with the output cut short.
TEST(CliOutput, ThatCannotBeWrittenFails)
{
    QTemporaryDir dir;
    const QString wizard = fixture("procedure/prompt.wzd");
    const QStringList commands[] = {{"info", wizard}, {"dump", wizard}, {"version"}, {"help"}};
    for (const QStringList &args : commands) {
        SCOPED_TRACE(args.first().toStdString());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", dir.path());
        p.setProcessEnvironment(env);
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_TRUE(p.readAllStandardError().contains("the output could not be written"));
    }
}
