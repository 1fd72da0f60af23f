// Saving and opening a maximal wizard: 100 sequences of 100 steps cycling
// through every kind, prompts carrying pictures (about 50 MB embedded in all).
// Reports the save time, the open time (every file restored) and the time
// libxml2 alone takes to parse the same file, with the ratios, and the peak
// memory of each phase. Each phase runs in its own child process so its peak
// memory is its own.
//
// Then the "worst input" table: hostile files (thousands of attributes on one
// element, far too many sequences or steps, deep nesting, a huge attribute
// value, a huge comment, processing instruction or CDATA section...) opened
// with Read_File_Model and Read_Wizard_File, each against the bare libxml2 parse
// of a valid wizard of the same size (target: at most 3x, memory likewise).
// "bench_file_io --worst [TEXT]" runs only the table (only the rows whose
// name holds TEXT).
#include "common/AtomicFile.h"
#include "document/VX_CAAXML_PARSER.h"
#include "document/WorkingCopies.h"
#include "maximal_wizard.h"
#include "wizard_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <libxml/parser.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>

using namespace stepvane;
using namespace stepvane::bench;

namespace {

struct PhaseResult {
    double seconds = -1;
    long peakKiB = 0;
    bool ok = false;
    bool timedOut = false;
    int code = -1;         // the phase's own result
    double cpuSeconds = 0; // user and system time, steadier than wall time on a busy machine
};

// Runs the phase in a child process; its wall time comes back through a pipe.
// A phase still running after timeoutSeconds (0: no limit) is killed.
PhaseResult runPhaseCode(const std::function<int()> &phase, unsigned timeoutSeconds = 0)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        alarm(timeoutSeconds);
        QElapsedTimer timer;
        timer.start();
        const int code = phase();
        const double seconds = timer.nsecsElapsed() / 1e9;
        (void)!write(fds[1], &seconds, sizeof seconds);
        _exit(code);
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
    result.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.ok = WIFEXITED(status);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.timedOut = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    return result;
}

PhaseResult runPhase(const std::function<bool()> &phase)
{
    PhaseResult r = runPhaseCode([&] { return phase() ? 0 : 1; });
    r.ok = r.ok && r.code == 0;
    return r;
}

// ---------------------------------------------------------------- worst input

constexpr int kHostileModel = 2;
constexpr unsigned kHostileTimeout = 120;
constexpr unsigned kBareTimeout = 30;

QByteArray manyChildren(int count)
{
    return oneStepWith(QByteArray("<x/>").repeated(count));
}

QByteArray deepNesting(int depth)
{
    return oneStepWith(QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth));
}

QByteArray hugeAttribute(qsizetype bytes)
{
    return wizardHeader(0, " Note=\"" + QByteArray(bytes, 'v') + "\"") + "</STEPVANE>";
}

QByteArray hugeText(qsizetype bytes)
{
    return oneStepWith("<Note>" + QByteArray(bytes, 't') + "</Note>");
}

// One comment, processing instruction or CDATA section of that many bytes,
// in a step or ahead of the model in the header (where the model is read
// before the whole file is).
QByteArray hugeMarkup(const char *open, const char *close, qsizetype bytes, bool inHeader)
{
    const QByteArray markup = open + QByteArray(bytes, 'm') + close;
    if (!inHeader)
        return oneStepWith(markup);
    QByteArray file = oneStepWith({});
    file.insert(file.indexOf("<InstrumentEQP"), markup);
    return file;
}

// A valid wizard of about that many bytes: one prompt whose picture fills it,
// the kind of file a user's large wizard is.
void writeValidWizard(const QString &dir, qint64 bytes, const QString &path)
{
    const QString picture = QDir(dir).filePath(QStringLiteral("filler.jpg"));
    QByteArray data(qsizetype(std::max<qint64>(bytes * 3 / 4 - 2000, 1)), Qt::Uninitialized);
    std::mt19937 gen(7);
    for (char &c : data)
        c = char(gen());
    writeFileAtomically(picture, data);
    data.clear();
    WizardDocument doc;
    PromptTask prompt;
    prompt.images[0].ImageName = QStringLiteral("filler.jpg");
    prompt.images[0].TransImageName = picture;
    prompt.images[0].Image_filesize = quint32(QFileInfo(picture).size());
    doc.appendSequence()->insertStep(-1, prompt);
    VX_CAAXML_PARSER parser(&doc, kHostileModel);
    if (!parser.Save_Wizard(path))
        std::fprintf(stderr, "the valid wizard could not be saved: %s\n",
                     qPrintable(parser.Error_Text()));
}

// libxml2 alone on the mapped file, as the reader gives it the bytes (by
// name it could not: the reader's entity loader refuses every file).
PhaseResult bareParse(const QString &path, unsigned timeoutSeconds = 0)
{
    PhaseResult r = runPhaseCode(
        [&] {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                return 1;
            const uchar *bytes = file.map(0, file.size());
            xmlDoc *xml =
                bytes ? xmlReadMemory(reinterpret_cast<const char *>(bytes), int(file.size()),
                                      nullptr, nullptr, XML_PARSE_HUGE | XML_PARSE_NONET)
                      : nullptr;
            const bool ok = xml != nullptr;
            xmlFreeDoc(xml);
            return ok ? 0 : 1;
        },
        timeoutSeconds);
    r.ok = r.ok && r.code == 0;
    return r;
}

void worstInputTable(const QString &dir, const char *only = nullptr)
{
    struct Case {
        const char *name;
        std::function<QByteArray()> make;
    };
    const Case cases[] = {
        {"5k attributes on one element", [] { return manyAttributes(5000); }},
        {"10k attributes", [] { return manyAttributes(10000); }},
        {"20k attributes", [] { return manyAttributes(20000); }},
        {"40k attributes", [] { return manyAttributes(40000); }},
        {"200k attributes", [] { return manyAttributes(200000); }},
        {"20,000 sequences declared", [] { return manySequences(20000, 50); }},
        {"200,000 steps declared", [] { return manySteps(200000, 200001); }},
        {"200,000 steps, 101 declared", [] { return manySteps(200000, 101); }},
        {"2M elements in one step", [] { return manyChildren(2000000); }},
        {"100k nested elements", [] { return deepNesting(100000); }},
        {"densest the limits allow", [] { return densestAllowed(); }},
        {"valid: 100 x 100 hold steps", [] { return manySequences(kMaxSequences, kMaxSteps); }},
        {"50 MB attribute value", [] { return hugeAttribute(50 << 20); }},
        {"50 MB text in a step", [] { return hugeText(50 << 20); }},
        {"16 MB comment in a step", [] { return hugeMarkup("<!--", "-->", 16 << 20, false); }},
        {"16 MB comment in the header", [] { return hugeMarkup("<!--", "-->", 16 << 20, true); }},
        {"50 MB comment in the header", [] { return hugeMarkup("<!--", "-->", 50 << 20, true); }},
        {"16 MB PI in a step", [] { return hugeMarkup("<?pi ", "?>", 16 << 20, false); }},
        {"16 MB PI in the header", [] { return hugeMarkup("<?pi ", "?>", 16 << 20, true); }},
        {"16 MB CDATA in a step",
         [] { return hugeMarkup("<Note><![CDATA[", "]]></Note>", 16 << 20, false); }},
        {"16 MB CDATA in the header",
         [] { return hugeMarkup("<Note><![CDATA[", "]]></Note>", 16 << 20, true); }},
        {"50 MB CDATA in the header",
         [] { return hugeMarkup("<Note><![CDATA[", "]]></Note>", 50 << 20, true); }},
    };
    std::printf("\nworst input (Read_File_Model and Read_Wizard_File, as a command opens a file,\n"
                "killed after %u s) against the bare libxml2 parse of a valid wizard of the same\n"
                "size, one picture filling it (target: time and memory <= 3x); times are CPU\n"
                "seconds, memory the peak of the process; \"same x\" against libxml2's bare\n"
                "parse of the same file (cut at %u s, marked '<'; '!' where libxml2 refuses it)\n",
                kHostileTimeout, kBareTimeout);
    std::printf("%-30s %8s %9s %9s %9s %9s %7s %7s %8s  %s\n", "input", "MiB", "read s", "read MiB",
                "valid s", "valid MiB", "time x", "mem x", "same x", "result");
    const QString hostile = QDir(dir).filePath(QStringLiteral("hostile.wzd"));
    const QString valid = QDir(dir).filePath(QStringLiteral("valid.wzd"));
    for (const Case &c : cases) {
        if (only && !std::strstr(c.name, only))
            continue;
        // Made in a child, so this process stays small and the peaks below
        // are the reader's own.
        runPhase([&] { return writeFileAtomically(hostile, c.make()); });
        const qint64 size = QFileInfo(hostile).size();
        const PhaseResult read = runPhaseCode(
            [&] {
                WorkingCopies::instance().setBaseFolder(QDir(dir).filePath(QStringLiteral("work")));
                WizardDocument doc;
                VX_CAAXML_PARSER parser(&doc, kHostileModel);
                // As every command opens a file: the model first, then the rest.
                if (parser.Read_File_Model(hostile) != kHostileModel)
                    return 1;
                return parser.Read_Wizard_File(hostile) == 1 ? 0 : 1;
            },
            kHostileTimeout);
        runPhase([&] {
            writeValidWizard(dir, size, valid);
            return true;
        });
        const PhaseResult reference = bareParse(valid);
        const PhaseResult same = bareParse(hostile, kBareTimeout);
        const double mib = 1048576.0;
        const char *result = read.timedOut    ? "TIMED OUT"
                             : !reference.ok  ? "NO REFERENCE"
                             : read.code == 0 ? "read"
                                              : "refused";
        const double readSeconds = read.timedOut ? double(kHostileTimeout) : read.cpuSeconds;
        const double sameSeconds = same.timedOut ? double(kBareTimeout) : same.cpuSeconds;
        std::printf("%-30s %8.1f %9.3f %9.1f %9.3f %9.1f %7.2f %7.2f %7.2f%s  %s\n", c.name,
                    size / mib, readSeconds, read.peakKiB / 1024.0, reference.cpuSeconds,
                    reference.peakKiB / 1024.0,
                    reference.cpuSeconds > 0 ? readSeconds / reference.cpuSeconds : 0.0,
                    reference.peakKiB > 0 ? double(read.peakKiB) / reference.peakKiB : 0.0,
                    sameSeconds > 0 ? readSeconds / sameSeconds : 0.0,
                    same.timedOut ? "<"
                    : same.ok     ? " "
                                  : "!",
                    result);
        std::fflush(stdout);
    }
    QFile::remove(hostile);
    QFile::remove(valid);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (argc > 1 && std::strcmp(argv[1], "--worst") == 0) {
        worstInputTable(dir.path(), argc > 2 ? argv[2] : nullptr);
        return 0;
    }
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
    worstInputTable(dir.path());
    return save.ok && open.ok && parse.ok ? 0 : 1;
}
