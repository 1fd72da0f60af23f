// Every stepvane-cli command on the largest wizard the limits allow (100 x 100
// steps, pictures in every prompt) and on the densest file the shape limits
// let through, each as a child process, side by side with libxml2's bare
// parse of the same input(s) (xmllint --noout --huge) in the same run.
//
// Prints, per input and command, "COMMAND / bare parse: R" (CPU time, user
// and system, best of five runs taken in turn with five of the bare parse)
// and "COMMAND peak / file: R" (the child's peak resident memory from wait4
// against the input's size; for diff, both files). Targets: 1.5x the bare
// parse and 2x the file on the largest wizard, 5x the bare parse on the
// densest input.
//
// "bench_commands [TEXT [DIR]]" runs only the commands whose name holds TEXT
// and, with DIR, leaves the inputs there for a profiler.
// Working copies go to a folder of this run (TMPDIR of the children).
#include "document/VX_CAAXML_PARSER.h"
#include "maximal_wizard.h"
#include "wizard_texts.h"

#include "common/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

using namespace stepvane;

namespace {

constexpr int kModel = 2;
constexpr int kRuns = 5;

struct Run {
    double cpuSeconds = -1;
    long peakKiB = 0;
    int code = -1;
};

// One child: stdout and stderr go to /dev/null (or to outPath). This process
// stays small (the inputs are made in a child of their own), because the peak
// a child reports includes what it was forked from.
Run runOnce(const QStringList &command, const QString &outPath = {})
{
    std::vector<QByteArray> storage;
    for (const QString &part : command)
        storage.push_back(QFile::encodeName(part));
    std::vector<char *> argv;
    for (QByteArray &part : storage)
        argv.push_back(part.data());
    argv.push_back(nullptr);
    const QByteArray out = outPath.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(outPath);
    const pid_t pid = fork();
    if (pid == 0) {
        const int sink = open(out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        dup2(sink, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) < 0)
        return run;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKiB = usage.ru_maxrss;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

void keepBest(Run &best, const Run &r)
{
    if (best.cpuSeconds < 0 || r.cpuSeconds < best.cpuSeconds)
        best.cpuSeconds = r.cpuSeconds;
    best.peakKiB = std::max(best.peakKiB, r.peakKiB);
    best.code = r.code;
}

// The least CPU time of a few runs (the machine is shared) and the largest
// peak, for a command and its reference taken in turn, so that a stretch of
// load on the machine weighs on both alike.
std::pair<Run, Run> sideBySide(const QStringList &command, const QStringList &reference)
{
    Run ofCommand;
    Run ofReference;
    for (int i = 0; i < kRuns; ++i) {
        keepBest(ofReference, runOnce(reference));
        keepBest(ofCommand, runOnce(command));
    }
    return {ofCommand, ofReference};
}

bool inChild(const std::function<bool()> &work)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work() ? 0 : 1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

struct Input {
    const char *name;
    QString file;  // the wizard
    QString other; // the same wizard with another title, for diff
    QString json;  // its dump, for the save (build)
    double target; // time ratio the commands should keep to
};

bool makeInputs(const QString &dir, const QString &cli, Input &largest, Input &densest)
{
    const bool made = inChild([&] {
        WizardDocument doc = bench::makeMaximalWizard(dir, kModel);
        VX_CAAXML_PARSER parser(&doc, kModel);
        if (!parser.Save_Wizard(largest.file))
            return false;
        doc.Title += QStringLiteral(" (changed)");
        const QByteArray dense = bench::densestAllowed();
        QByteArray changed = dense;
        changed.replace("<Title DValue=\"t\"/>", "<Title DValue=\"u\"/>");
        return parser.Save_Wizard(largest.other) && writeFileAtomically(densest.file, dense) &&
               writeFileAtomically(densest.other, changed);
    });
    if (!made)
        return false;
    // The saves start from what dump names: the restored files stay in extract.
    for (Input *input : {&largest, &densest}) {
        const QString extract = QDir(dir).filePath(QStringLiteral("extract-%1").arg(input->name));
        QDir().mkpath(extract);
        if (runOnce({cli, QStringLiteral("dump"), input->file, QStringLiteral("--extract-dir"),
                     extract},
                    input->json)
                .code != 0)
            return false;
    }
    return true;
}

void report(const Input &input, const QString &cli, const QString &dir, const char *only)
{
    const QString xmllint = QStringLiteral("/usr/bin/xmllint");
    const double mib = 1048576.0;
    const qint64 size = QFileInfo(input.file).size();
    const qint64 both = size + QFileInfo(input.other).size();
    const QStringList bare = {xmllint, QStringLiteral("--noout"), QStringLiteral("--huge"),
                              input.file};
    const QStringList bareBoth = bare + QStringList{input.other};
    std::printf("\n%s: %.1f MiB; the bare parse is xmllint --noout --huge; targets: %.1fx the "
                "bare parse, 2x the file\n",
                input.name, size / mib, input.target);
    const QString saved = QDir(dir).filePath(QStringLiteral("saved.wzd"));
    const QString html = QDir(dir).filePath(QStringLiteral("html"));
    struct Command {
        const char *name;
        QStringList args;
        bool twoFiles;
    };
    const Command commands[] = {
        {"info", {QStringLiteral("info"), input.file}, false},
        {"check", {QStringLiteral("check"), input.file}, false},
        {"summary", {QStringLiteral("summary"), input.file}, false},
        {"dump", {QStringLiteral("dump"), input.file}, false},
        {"diff", {QStringLiteral("diff"), input.file, input.other}, true},
        {"export", {QStringLiteral("export"), input.file, QStringLiteral("--html"), html}, false},
        {"save", {QStringLiteral("build"), input.json, saved}, false},
    };
    for (const Command &c : commands) {
        if (only && !std::strstr(c.name, only))
            continue;
        QDir(html).removeRecursively();
        const auto [r, reference] =
            sideBySide(QStringList{cli} + c.args, c.twoFiles ? bareBoth : bare);
        const double ratio = reference.cpuSeconds > 0 ? r.cpuSeconds / reference.cpuSeconds : 0;
        const double peak = (r.peakKiB * 1024.0) / double(c.twoFiles ? both : size);
        std::printf("%s / bare parse: %.2f   %s peak / file: %.2f   (%.3f s against %.3f s, "
                    "%.1f MiB, exit %d)\n",
                    c.name, ratio, c.name, peak, r.cpuSeconds, reference.cpuSeconds,
                    r.peakKiB / 1024.0, r.code);
        std::fflush(stdout);
    }
    QFile::remove(saved);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const char *only = argc > 1 ? argv[1] : nullptr;
    const QString cli =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("stepvane-cli"));
    const QString keep = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!keep.isEmpty())
        QDir().mkpath(keep);
    QTemporaryDir dir(keep.isEmpty() ? QDir::tempPath() + QStringLiteral("/bench_commands-XXXXXX")
                                     : QDir(keep).filePath(QStringLiteral("run-XXXXXX")));
    dir.setAutoRemove(argc <= 2);
    const QString work = dir.filePath(QStringLiteral("tmp"));
    QDir().mkpath(work);
    // The children's working copies land in this run's folder.
    qputenv("TMPDIR", QFile::encodeName(work));
    Input largest{"largest wizard", dir.filePath(QStringLiteral("largest.wzd")),
                  dir.filePath(QStringLiteral("largest2.wzd")),
                  dir.filePath(QStringLiteral("largest.json")), 1.5};
    Input densest{"densest input", dir.filePath(QStringLiteral("densest.wzd")),
                  dir.filePath(QStringLiteral("densest2.wzd")),
                  dir.filePath(QStringLiteral("densest.json")), 5};
    if (!QFileInfo(cli).isExecutable() || !makeInputs(dir.path(), cli, largest, densest)) {
        std::fprintf(stderr, "bench_commands: stepvane-cli or the inputs are missing\n");
        return 1;
    }
    report(largest, cli, dir.path(), only);
    report(densest, cli, dir.path(), only);
    return 0;
}
