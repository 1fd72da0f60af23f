// Saving and opening a maximal wizard: 100 sequences of 100 steps cycling
// through every kind, prompts carrying pictures (about 50 MB embedded in all).
// Reports the save time, the open time (every file restored) and the time
// libxml2 alone takes to parse the same file, with the ratios, and the peak
// memory of each phase. Each phase runs in its own child process so its peak
// memory is its own.
#include "maximal_wizard.h"

#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <libxml/parser.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

using namespace stepvane;

namespace {

struct PhaseResult {
    double seconds = -1;
    long peakKiB = 0;
    bool ok = false;
};

// Runs the phase in a child process; its wall time comes back through a pipe.
PhaseResult runPhase(const std::function<bool()> &phase)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        QElapsedTimer timer;
        timer.start();
        const bool ok = phase();
        const double seconds = ok ? timer.nsecsElapsed() / 1e9 : -1.0;
        (void)!write(fds[1], &seconds, sizeof seconds);
        _exit(ok ? 0 : 1);
    }
    close(fds[1]);
    PhaseResult result;
    double seconds = -1;
    if (read(fds[0], &seconds, sizeof seconds) == sizeof seconds)
        result.seconds = seconds;
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    result.peakKiB = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("maximal.wzd"));
    const int model = 2;
    WizardDocument doc = bench::makeMaximalWizard(dir.path(), model);

    // "bench_file_io OUT.wzd" only writes the wizard, for profiling the reader.
    if (argc > 1) {
        VX_CAAXML_PARSER parser(&doc, model);
        return parser.Save_Wizard(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
    }

    const PhaseResult save = runPhase([&] {
        VX_CAAXML_PARSER parser(&doc, model);
        return parser.Save_Wizard(file);
    });
    const qint64 fileSize = QFileInfo(file).size();

    const PhaseResult parse = runPhase([&] {
        xmlDoc *xml = xmlReadFile(QFile::encodeName(file).constData(), nullptr,
                                  XML_PARSE_HUGE | XML_PARSE_NONET);
        const bool ok = xml != nullptr;
        xmlFreeDoc(xml);
        return ok;
    });

    const PhaseResult open = runPhase([&] {
        WorkingCopies::instance().setBaseFolder(dir.filePath(QStringLiteral("restored")));
        WizardDocument back;
        VX_CAAXML_PARSER parser(&back, model);
        return parser.Read_Wizard_File(file) == 1 && back.sequenceCount() == kMaxSequences;
    });

    const double fileMiB = fileSize / 1048576.0;
    std::printf("maximal wizard: %d sequences x %d steps, file %.1f MiB\n", kMaxSequences,
                kMaxSteps, fileMiB);
    std::printf("%-28s %9s %12s %14s\n", "phase", "seconds", "peak MiB", "peak / file");
    auto row = [&](const char *name, const PhaseResult &r) {
        std::printf("%-28s %9.3f %12.1f %14.2f%s\n", name, r.seconds, r.peakKiB / 1024.0,
                    fileMiB > 0 ? (r.peakKiB / 1024.0) / fileMiB : 0.0, r.ok ? "" : "  FAILED");
    };
    row("save (Save_Wizard)", save);
    row("open (Read_Wizard_File)", open);
    row("libxml2 parse alone", parse);
    if (parse.seconds > 0) {
        std::printf("open / bare parse: %.2f (target <= 2)\n", open.seconds / parse.seconds);
        std::printf("save / bare parse: %.2f (target <= 3)\n", save.seconds / parse.seconds);
    }
    return save.ok && open.ok && parse.ok ? 0 : 1;
}
