// stepvane-cli git-setup: the attributes and configuration that let git show
// wizards as text, merge them as wizards and resolve conflicts in the editor.
#include "cli/CliCommand.h"
#include "common/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("git-setup [--global]");
const QStringList kPatterns = {QStringLiteral("*.wzd"), QStringLiteral("*.tuf")};
const QString kAttributes = QStringLiteral("diff=stepvane merge=stepvane");

struct Git {
    bool ok = false;
    QString out;
};

Git git(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("git"), args);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
            QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

// The programs by their full paths, so git finds them whatever its PATH.
QString program(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QString quoted(const QString &path)
{
    QString q = path;
    q.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + q + u'\'';
}

QList<QPair<QString, QString>> settings()
{
    const QString cli = quoted(program(QStringLiteral("stepvane-cli")));
    const QString gui = quoted(program(QStringLiteral("stepvane")));
    return {
        {QStringLiteral("diff.stepvane.textconv"), cli + QStringLiteral(" text")},
        {QStringLiteral("merge.stepvane.name"), QStringLiteral("Stepvane wizard merge")},
        {QStringLiteral("merge.stepvane.driver"), cli + QStringLiteral(" merge %O %A %B -o %A")},
        {QStringLiteral("mergetool.stepvane.cmd"),
         gui + QStringLiteral(" --merge \"$BASE\" \"$LOCAL\" \"$REMOTE\" \"$MERGED\"")},
        {QStringLiteral("mergetool.stepvane.trustExitCode"), QStringLiteral("true")},
    };
}

// Sets each value that is unset; one already set otherwise is left and named.
bool writeConfig(const QString &scope, int &differing)
{
    for (const auto &[key, value] : settings()) {
        const Git current = git({QStringLiteral("config"), scope, QStringLiteral("--get"), key});
        if (current.ok && current.out == value) {
            printOut(QStringLiteral("git config %1 %2: already set").arg(scope, key));
        } else if (current.ok) {
            printOut(QStringLiteral("git config %1 %2: left as \"%3\" (stepvane-cli would set "
                                    "\"%4\")")
                         .arg(scope, key, current.out, value));
            ++differing;
        } else if (git({QStringLiteral("config"), scope, key, value}).ok) {
            printOut(QStringLiteral("git config %1 %2 \"%3\"").arg(scope, key, value));
        } else {
            printError(QStringLiteral("stepvane-cli: git config %1 %2 failed").arg(scope, key));
            return false;
        }
    }
    return true;
}

QString attributesFile(bool global)
{
    if (!global) {
        const Git top = git({QStringLiteral("rev-parse"), QStringLiteral("--show-toplevel")});
        return top.ok ? QDir(top.out).filePath(QStringLiteral(".gitattributes")) : QString();
    }
    const Git set = git({QStringLiteral("config"), QStringLiteral("--global"),
                         QStringLiteral("--path"), QStringLiteral("core.attributesFile")});
    if (set.ok && !set.out.isEmpty())
        return set.out;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = xdg.isEmpty() ? QDir::home().filePath(QStringLiteral(".config")) : xdg;
    return QDir(base).filePath(QStringLiteral("git/attributes"));
}

// Adds the lines for the patterns that have none; a pattern with other
// attributes is left and named.
bool writeAttributes(const QString &path, int &differing)
{
    QFile file(path);
    QByteArray text;
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            printError(QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString()));
            return false;
        }
        text = file.readAll();
        file.close();
    }
    const QStringList lines = QString::fromUtf8(text).split(u'\n');
    QString added;
    for (const QString &pattern : kPatterns) {
        const QString wanted = pattern + u' ' + kAttributes;
        QString existing;
        for (const QString &line : lines)
            if (line.simplified().startsWith(pattern + u' '))
                existing = line.simplified();
        if (existing == wanted) {
            printOut(QStringLiteral("%1: \"%2\" already there").arg(path, wanted));
        } else if (!existing.isEmpty()) {
            printOut(QStringLiteral("%1: left \"%2\" (stepvane-cli would write \"%3\")")
                         .arg(path, existing, wanted));
            ++differing;
        } else {
            added += wanted + u'\n';
            printOut(QStringLiteral("%1: added \"%2\"").arg(path, wanted));
        }
    }
    if (added.isEmpty())
        return true;
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!writeFileAtomically(path, text + added.toUtf8(), &error)) {
        printError(QStringLiteral("%1: %2").arg(path, error));
        return false;
    }
    return true;
}

const CliOptions kOptions = {{QStringLiteral("--global"), CliValue::None}};

int runGitSetup(const QStringList &argv)
{
    CliArgs args(argv, kOptions);
    if (!args.ok())
        return usageError(kSynopsis, args.error());
    if (!args.positionals().isEmpty())
        return usageError(kSynopsis, QStringLiteral("expected no files"));
    const bool global = args.has(QStringLiteral("--global"));
    const QString attributes = attributesFile(global);
    if (attributes.isEmpty()) {
        printError(QStringLiteral("stepvane-cli: not inside a git repository (--global sets "
                                  "up every repository of the user)"));
        return kExitFailure;
    }
    int differing = 0;
    if (!writeAttributes(attributes, differing) ||
        !writeConfig(global ? QStringLiteral("--global") : QStringLiteral("--local"), differing))
        return kExitFailure;
    if (differing > 0) {
        printError(QStringLiteral("stepvane-cli: %1 setting(s) were set otherwise and left as "
                                  "they are")
                       .arg(differing));
        return kExitFailure;
    }
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("git-setup"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Sets git up for wizards: adds to .gitattributes of the repository (with --global,\n"
        "to the user's attributes file)\n"
        "    *.wzd diff=stepvane merge=stepvane\n"
        "    *.tuf diff=stepvane merge=stepvane\n"
        "and writes with git config (for the repository, or the user with --global):\n"
        "    diff.stepvane.textconv         stepvane-cli text\n"
        "    merge.stepvane.name            Stepvane wizard merge\n"
        "    merge.stepvane.driver          stepvane-cli merge %O %A %B -o %A\n"
        "    mergetool.stepvane.cmd         the editor's merge mode on $BASE $LOCAL $REMOTE\n"
        "                                   $MERGED (see stepvane(1))\n"
        "    mergetool.stepvane.trustExitCode  true\n"
        "with the programs' full paths. Each line says what was written. A setting or\n"
        "attribute line that is already there with another value is left as it is and named.\n\n"
        "  --global  set up every repository of the user instead of the current one\n\n"
        "Exit status: 0 set up, 1 git failed, not in a repository, or something was set\n"
        "otherwise and left; 2 usage error.")
        .arg(kSynopsis),
    runGitSetup,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
