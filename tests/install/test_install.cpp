// The installed tree: `cmake --install` into a temporary prefix, then the
// installed programs find their data there, and the desktop entry, MIME
// types, AppStream metadata and manual pages pass the desktop's own tools
// (each check runs when its tool is installed).
#include "instrument_files/LanguageInfo.h"
#include "support/TestFiles.h"

#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace stepvane::test;

namespace {

const QString kAppId = "com.vexmar.Stepvane";

struct ProgramRun {
    int code = -1;
    QString out;
    QString err;
};

// Runs a program with the data-folder override removed, so the installed
// programs must find their data on their own; with the desktop's data folders
// given, the user's own are none, and programs are looked for in binFolder first.
ProgramRun run(const QString &program, const QStringList &args, const QString &workDir = QString(),
               const QString &xdgDataDirs = QString(), const QString &binFolder = QString())
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("STEPVANE_DATA_DIR");
    if (!xdgDataDirs.isEmpty()) {
        env.insert("XDG_DATA_DIRS", xdgDataDirs);
        env.insert("XDG_DATA_HOME", "/nonexistent");
        env.insert("XDG_CONFIG_HOME", "/nonexistent");
    }
    if (!binFolder.isEmpty())
        env.insert("PATH", binFolder + u':' + env.value("PATH"));
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(280000)) // cpack and lintian take their time
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(prefix.isValid());
        const QString cmake = tool("cmake");
        ASSERT_FALSE(cmake.isEmpty()) << "cmake is not on PATH";
        const QString buildDir = QDir(QStringLiteral(STEPVANE_BIN_DIR "/..")).canonicalPath();
        // Every install rewrites the build tree's install manifest: one at a time.
        QLockFile lock(QDir(buildDir).filePath("install-test.lock"));
        ASSERT_TRUE(lock.lock());
        const ProgramRun install = run(cmake, {"--install", buildDir, "--prefix", prefix.path()});
        ASSERT_EQ(install.code, 0) << install.err.toStdString();
    }
    QString at(const QString &relative) const { return QDir(prefix.path()).filePath(relative); }

    QTemporaryDir prefix;
    QTemporaryDir work;
};

} // namespace

TEST_F(Installed, EverythingLandsInItsFolder)
{
    // "@" stands for the application's id.
    for (const char *name :
         {"bin/stepvane", "bin/stepvane-cli", "bin/stepvane-sim", "share/stepvane/StyleSheet.xsl",
          "share/stepvane/LanguageInfo.txt", "share/stepvane/Cable.csv",
          "share/stepvane/SCPI_Command_QRT.csv", "share/stepvane/help/index.html",
          "share/applications/@.desktop", "share/mime/packages/@.xml",
          "share/metainfo/@.metainfo.xml", "share/icons/hicolor/scalable/apps/@.svg",
          "share/man/man1/stepvane.1.gz", "share/man/man1/stepvane-cli.1.gz",
          "share/man/man1/stepvane-sim.1.gz", "share/bash-completion/completions/stepvane-cli",
          "share/doc/stepvane/copyright", "share/doc/stepvane/changelog.gz"}) {
        const QString file = QString::fromLatin1(name).replace(u'@', kAppId);
        EXPECT_TRUE(QFileInfo(at(file)).isFile()) << file.toStdString();
    }
    const QString mimeIcons = "share/icons/hicolor/scalable/mimetypes/application-x-stepvane-";
    for (const char *kind : {"wizard", "testing-unit"})
        EXPECT_TRUE(QFileInfo(at(mimeIcons + kind + ".svg")).isFile()) << kind;
    // The desktop files have their own homes; they are not program data.
    for (const char *folder : {"desktop", "man", "debian"})
        EXPECT_FALSE(QFileInfo::exists(at(QString("share/stepvane/") + folder))) << folder;
    EXPECT_TRUE(QFileInfo(at("bin/stepvane-cli")).isExecutable());
}

TEST_F(Installed, CliFindsItsDataAndBuildsAndReadsAWizard)
{
    const QString cli = at("bin/stepvane-cli");
    const QString json = work.filePath("in.json");
    const QString wizard = work.filePath("site.wzd");
    ASSERT_TRUE(writeAll(json, R"({"model": 2, "Title": "Mast", "PW": "pw",
        "sequences": [{"Title": "Feeder", "steps": [{"name": "Hold"}, {"name": "Amplitude"}]}]})"));

    // Writing goes through the style sheet, found only in share/stepvane.
    const ProgramRun build = run(cli, {"build", json, wizard}, work.path());
    ASSERT_EQ(build.code, 0) << build.err.toStdString();
    const ProgramRun info = run(cli, {"info", wizard, "--password", "pw"}, work.path());
    EXPECT_EQ(info.code, 0) << info.err.toStdString();
    EXPECT_EQ(info.out, ("Model: VX330A\nTitle: Mast\nSequences: 1\n1. Feeder\n"
                         "    Hold\n    Amplitude\n"));

    // The message comes from the installed language table.
    stepvane::LoadLanguageInfo(QStringLiteral(STEPVANE_SOURCE_DIR "/data/LanguageInfo.txt"));
    const QString expected = stepvane::GetMessageText("IDS_INCORRECT_PW").trimmed();
    ASSERT_FALSE(expected.isEmpty());
    const ProgramRun refused = run(cli, {"info", wizard}, work.path());
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.trimmed(), expected);
}

TEST_F(Installed, ACopyElsewhereFindsTheDataThroughTheDesktopDataFolders)
{
    // Started from a folder of its own, the program has no share/stepvane
    // beside it; the desktop's data folders still lead to the installed data.
    const QString copy = work.filePath("stepvane-cli");
    ASSERT_TRUE(QFile::copy(at("bin/stepvane-cli"), copy));
    const QString json = work.filePath("in.json");
    ASSERT_TRUE(writeAll(json, R"({"model": 0, "sequences": []})"));
    const QString wizard = work.filePath("empty.wzd");
    const ProgramRun alone = run(copy, {"build", json, wizard}, work.path(), "/nonexistent");
    EXPECT_EQ(alone.code, 1) << "found data without being told where";
    const ProgramRun found = run(copy, {"build", json, wizard}, work.path(), at("share"));
    EXPECT_EQ(found.code, 0) << found.err.toStdString();
    EXPECT_TRUE(QFileInfo(wizard).isFile());
}

TEST_F(Installed, DesktopEntryOpensWizards)
{
    const QString entry = at("share/applications/" + kAppId + ".desktop");
    const QString text = QString::fromUtf8(readAll(entry));
    // A file manager hands the chosen file to the editor's command line.
    EXPECT_TRUE(text.contains("\nExec=stepvane %f\n"));
    EXPECT_TRUE(text.contains("\nMimeType=application/x-stepvane-wizard;\n"));
    EXPECT_TRUE(text.contains("\nIcon=" + kAppId + u'\n'));
    if (tool("desktop-file-validate").isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    const ProgramRun validate = run(tool("desktop-file-validate"), {entry});
    EXPECT_EQ(validate.code, 0) << validate.out.toStdString() << validate.err.toStdString();
    EXPECT_TRUE(validate.out.trimmed().isEmpty()) << validate.out.toStdString();
}

TEST_F(Installed, MimeTypesMatchByExtensionAndRootElement)
{
    if (tool("update-mime-database").isEmpty())
        GTEST_SKIP() << "update-mime-database is not installed";
    const QString mime = at("share/mime");
    const ProgramRun update = run(tool("update-mime-database"), {mime});
    ASSERT_EQ(update.code, 0) << update.err.toStdString();
    const QString globs = QString::fromUtf8(readAll(mime + "/globs2"));
    EXPECT_TRUE(globs.contains("application/x-stepvane-wizard:*.wzd"));
    EXPECT_TRUE(globs.contains("application/x-stepvane-testing-unit:*.tuf"));
    const QString roots = QString::fromUtf8(readAll(mime + "/XMLnamespaces"));
    EXPECT_TRUE(roots.contains(" STEPVANE application/x-stepvane-wizard"));
    EXPECT_TRUE(roots.contains(" TestingSequence_Num0 application/x-stepvane-testing-unit"));
}

TEST_F(Installed, TheDesktopOpensWizardFilesWithTheEditor)
{
    for (const char *needed : {"update-mime-database", "update-desktop-database", "gio"})
        if (tool(needed).isEmpty())
            GTEST_SKIP() << needed << " is not installed";
    ASSERT_EQ(run(tool("update-mime-database"), {at("share/mime")}).code, 0);
    ASSERT_EQ(run(tool("update-desktop-database"), {at("share/applications")}).code, 0);
    const QString wizard = work.filePath("Site A.WZD");
    ASSERT_TRUE(writeAll(wizard, "<?xml version=\"1.0\"?>\n<STEPVANE/>\n"));

    // What a file manager asks the desktop: the file's type, then the
    // application for it. The desktop only offers programs it finds on PATH.
    const auto gio = [&](const QStringList &args) {
        return run(tool("gio"), args, {}, at("share") + ":/usr/share", at("bin")).out;
    };
    EXPECT_TRUE(gio({"info", "-a", "standard::content-type", wizard})
                    .contains("application/x-stepvane-wizard"));
    const QString answer = gio({"mime", "application/x-stepvane-wizard"});
    EXPECT_TRUE(
        answer.startsWith("Default application for \u201capplication/x-stepvane-wizard\u201d: "
                          "com.vexmar.Stepvane.desktop"))
        << answer.toStdString();
}

TEST_F(Installed, MetainfoAndManualPagesPassTheirTools)
{
    if (!tool("appstreamcli").isEmpty()) {
        const ProgramRun validate =
            run(tool("appstreamcli"),
                {"validate", "--no-net", at("share/metainfo/" + kAppId + ".metainfo.xml")});
        EXPECT_EQ(validate.code, 0) << validate.out.toStdString();
    }
    if (tool("groff").isEmpty() || tool("gzip").isEmpty())
        return;
    for (const char *page : {"stepvane.1.gz", "stepvane-cli.1.gz", "stepvane-sim.1.gz"}) {
        QProcess unpack, render;
        unpack.setStandardOutputProcess(&render);
        unpack.start(tool("gzip"), {"-dc", at("share/man/man1/" + QString::fromLatin1(page))});
        render.start(tool("groff"), {"-man", "-ww", "-z"});
        ASSERT_TRUE(unpack.waitForFinished(60000) && render.waitForFinished(60000)) << page;
        EXPECT_EQ(unpack.exitCode(), 0) << page;
        EXPECT_EQ(render.exitCode(), 0) << page;
        EXPECT_TRUE(render.readAllStandardError().isEmpty()) << page;
    }
}

// The Debian package as make package builds it passes lintian without errors.
TEST(Package, LintianFindsNoErrors)
{
#if defined(__SANITIZE_ADDRESS__)
    // Only the plain build is ever packaged; packing and linting the
    // sanitized programs takes most of a minute and checks nothing new.
    GTEST_SKIP() << "the package is made from the plain build";
#endif
    if (tool("lintian").isEmpty() || tool("cpack").isEmpty() || tool("dpkg-deb").isEmpty())
        GTEST_SKIP() << "lintian, cpack or dpkg-deb is not installed";
    const QString buildDir = QDir(QStringLiteral(STEPVANE_BIN_DIR "/..")).canonicalPath();
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QLockFile lock(QDir(buildDir).filePath(QStringLiteral("install-test.lock")));
    ASSERT_TRUE(lock.lock());
    const ProgramRun pack = run(tool("cpack"), {QStringLiteral("--config"),
                                                buildDir + QStringLiteral("/CPackConfig.cmake"),
                                                QStringLiteral("-B"), out.path()});
    lock.unlock();
    ASSERT_EQ(pack.code, 0) << pack.out.toStdString() << pack.err.toStdString();
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")});
    ASSERT_EQ(debs.size(), 1);
    const ProgramRun lint =
        run(tool("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error"),
                              QDir(out.path()).filePath(debs.first())});
    EXPECT_EQ(lint.code, 0) << lint.out.toStdString() << lint.err.toStdString();
}
