// Sending one 1 MB wizard to a fleet, in one run: first to one simulated
// instrument, then to 32 at once (stepvane-sim --instances 32 over loopback),
// each time by stepvane-cli send --to ... as its own process. Prints, last:
//   fleet 32 / single: R          wall time of the 32 against the one; the
//                                 protocol's pacing makes one transfer last
//                                 about 10 s, so 1.0 is ideal (target <= 1.15)
//   fleet memory / single memory: R   peak resident memory of the sending
//                                 process (target <= 1.5: the file is held once)
#include "common/DataFiles.h"
#include "document/VX_CAAXML_PARSER.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <thread>
#include <vector>

using namespace stepvane;

namespace {

constexpr int kFleet = 32;

// stepvane-sim serving count instruments on free loopback ports.
struct SimFleet {
    pid_t pid = -1;
    std::vector<int> ports;
    std::thread drain;

    explicit SimFleet(int count)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        const QByteArray program =
            (programDirectory() + QStringLiteral("/stepvane-sim")).toLocal8Bit();
        const QByteArray instances = QByteArray::number(count);
        pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(program.constData(), program.constData(), "--instances", instances.constData(),
                  "--port", "0", "--bind", "127.0.0.1", static_cast<char *>(nullptr));
            _exit(127);
        }
        close(out[1]);
        static const QRegularExpression portLine(
            QStringLiteral("sim (\\d+): stepvane-sim listening on port (\\d+)"));
        QByteArray log;
        char buffer[4096];
        std::vector<int> found(size_t(count), 0);
        int seen = 0;
        while (seen < count) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            log.append(buffer, n);
            seen = 0;
            for (auto it = portLine.globalMatch(QString::fromUtf8(log)); it.hasNext(); ++seen) {
                const auto m = it.next();
                found[size_t(m.captured(1).toInt())] = m.captured(2).toInt();
            }
        }
        if (seen >= count)
            ports = found;
        // Keep reading so the simulator never blocks on a full pipe.
        drain = std::thread([fd = out[0]] {
            char b[4096];
            while (read(fd, b, sizeof b) > 0) {
            }
            close(fd);
        });
    }
    ~SimFleet()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (drain.joinable())
            drain.join();
    }
};

struct Run {
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
};

// stepvane-cli send FILE --to ... for the given ports, as a child process.
Run sendTo(const QString &file, const std::vector<int> &ports)
{
    QList<QByteArray> args = {"send", file.toLocal8Bit(), "--no-check"};
    for (int port : ports)
        args << "--to" << QByteArray("127.0.0.1:") + QByteArray::number(port);
    const QByteArray program = (programDirectory() + QStringLiteral("/stepvane-cli")).toLocal8Bit();
    std::vector<char *> argv = {const_cast<char *>(program.constData())};
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(program.constData(), argv.data());
        _exit(127);
    }
    Run run;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        run.seconds = double(clock.nsecsElapsed()) / 1e9;
        run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        run.peakKiB = usage.ru_maxrss;
    }
    return run;
}

// A wizard of about 1 MB: one prompt whose picture is most of it.
QString writeWizard(const QString &dir)
{
    const QString picture = dir + QStringLiteral("/mast.jpg");
    const int pictureSize = 1000000 / 4 * 3 * 76 / 77;
    QByteArray bytes(pictureSize, Qt::Uninitialized);
    std::mt19937 gen(5);
    for (char &c : bytes)
        c = char(gen());
    QFile f(picture);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    f.close();
    WizardDocument doc;
    doc.Title = QStringLiteral("Fleet roll-out");
    TestingSequence *seq = doc.appendSequence();
    seq->Title = QStringLiteral("Antenna check");
    TaskRecord record = makeDefaultRecord(TaskPrompt, 2, kDistanceMeter);
    AttachedImage &slot = std::get<PromptTask>(record).images[0];
    slot.TransImageName = picture;
    slot.ImageName = QStringLiteral("mast.jpg");
    slot.Image_filesize = quint32(pictureSize);
    slot.ImageWidth = 640;
    slot.ImageHeight = 480;
    seq->insertStep(-1, std::move(record));
    const QString path = dir + QStringLiteral("/roll-out.wzd");
    VX_CAAXML_PARSER parser(&doc, 2);
    return parser.Save_Wizard(path) ? path : QString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString wizard = writeWizard(dir.path());
    SimFleet sim(kFleet);
    if (wizard.isEmpty() || sim.ports.size() != size_t(kFleet)) {
        std::printf("bench_fleet: %s\n", wizard.isEmpty() ? "the wizard could not be written"
                                                          : "stepvane-sim did not start");
        return 1;
    }
    std::printf("wizard: %lld bytes\n", QFileInfo(wizard).size());
    const Run single = sendTo(wizard, {sim.ports.front()});
    const Run fleet = sendTo(wizard, sim.ports);
    std::printf("single: %s in %.2f s, peak %ld KiB\n", single.ok ? "sent" : "FAILED",
                single.seconds, single.peakKiB);
    std::printf("fleet %d: %s in %.2f s, peak %ld KiB\n", kFleet, fleet.ok ? "sent" : "FAILED",
                fleet.seconds, fleet.peakKiB);
    if (!single.ok || !fleet.ok || single.seconds <= 0 || single.peakKiB <= 0)
        return 1;
    std::printf("fleet %d / single: %.2f\n", kFleet, fleet.seconds / single.seconds);
    std::printf("fleet memory / single memory: %.2f\n",
                double(fleet.peakKiB) / double(single.peakKiB));
    return 0;
}
