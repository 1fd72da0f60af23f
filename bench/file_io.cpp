// Saving and opening a maximal wizard: 100 sequences of 100 steps cycling
// through every kind, prompts carrying pictures (about 50 MB embedded in all).
// Reports the save time, the open time (every file restored) and the time
// libxml2 alone takes to parse the same file, with the ratios, and the peak
// memory of each phase. Each phase runs in its own child process so its peak
// memory is its own.
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
#include <random>

using namespace stepvane;

namespace {

constexpr int kPictureFiles = 16;
constexpr qint64 kEmbeddedTarget = 50LL * 1024 * 1024;

WizardDocument makeMaximalWizard(const QString &dir, int model)
{
    const auto &kinds = storableTaskKinds();
    const int steps = kMaxSequences * kMaxSteps;
    const int prompts = (steps + int(kinds.size()) - 1) / int(kinds.size());
    const qint64 pictureSize = kEmbeddedTarget / prompts;

    std::mt19937 gen(42);
    QStringList pictures;
    for (int i = 0; i < kPictureFiles; ++i) {
        QByteArray bytes(pictureSize, Qt::Uninitialized);
        for (char &c : bytes)
            c = char(gen());
        const QString path = QStringLiteral("%1/picture%2.jpg").arg(dir).arg(i);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        pictures << path;
    }

    WizardDocument doc;
    doc.Title = QStringLiteral("Maximal wizard");
    int n = 0;
    for (int s = 0; s < kMaxSequences; ++s) {
        TestingSequence *seq = doc.appendSequence();
        seq->Title = QStringLiteral("Sequence %1").arg(s);
        for (int t = 0; t < kMaxSteps; ++t, ++n) {
            const TaskKind kind = kinds[size_t(n) % kinds.size()];
            TaskRecord record = makeDefaultRecord(kind, model, kDistanceMeter);
            if (auto *prompt = std::get_if<PromptTask>(&record)) {
                AttachedImage &slot = prompt->images[0];
                slot.TransImageName = pictures[n % kPictureFiles];
                slot.ImageName = QFileInfo(slot.TransImageName).fileName();
                slot.Image_filesize = quint32(pictureSize);
                slot.ImageWidth = 640;
                slot.ImageHeight = 480;
                slot.Comment = QStringLiteral("Check the connector");
            }
            std::visit([&](auto &r) { r.Description = QStringLiteral("Step %1").arg(t); }, record);
            seq->insertStep(-1, std::move(record));
        }
    }
    return doc;
}

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
    WizardDocument doc = makeMaximalWizard(dir.path(), model);

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
