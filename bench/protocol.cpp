// Protocol speed in one run:
//  1. frame encode + decode throughput of 2048-byte file pieces against memcpy
//     of the same bytes (target: within 5x of memcpy), for wizard-like text and
//     for random bytes (which need escaping about once in 85 bytes);
//  2. the wall time of sending a 1 MB file to stepvane-sim over loopback against
//     the pacing bound of the protocol, pieces x 20 ms (target: within 3%).
#include "comm/CDevComm.h"
#include "comm/FrameCodec.h"
#include "comm/TransferWorkflow.h"
#include "common/DataFiles.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using namespace stepvane;

namespace {

constexpr size_t kTotal = 16u * 1024 * 1024;
constexpr size_t kPiece = 2048;
constexpr int kRounds = 15;

volatile size_t g_sink; // keeps the measured work from being optimised away

QByteArray wizardLikeText(size_t size)
{
    // XML with base64 runs, as a wizard file is.
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::mt19937 gen(7);
    QByteArray out;
    out.reserve(qsizetype(size));
    while (size_t(out.size()) < size) {
        out += "<Task_Step_Name DValue=\"Marker/Peak\" LValue=\"12\"/>\n<ImageData>";
        for (int i = 0; i < 760; ++i)
            out += alphabet[gen() % 64];
        out += "</ImageData>\n";
    }
    out.truncate(qsizetype(size));
    return out;
}

QByteArray randomBytes(size_t size)
{
    std::mt19937 gen(11);
    QByteArray out(qsizetype(size), '\0');
    for (char &c : out)
        c = char(gen());
    return out;
}

struct Throughput {
    double memcpyMs = 1e30, encodeMs = 1e30, decodeMs = 1e30;
};

Throughput measureCodec(const QByteArray &data)
{
    const auto *src = reinterpret_cast<const uint8_t *>(data.constData());
    const size_t pieces = size_t(data.size()) / kPiece;
    std::vector<uint8_t> copy(size_t(data.size()));
    std::vector<uint8_t> wire(pieces * frame::maxEncodedSize(kPiece + frame::kHeaderM + 1));
    std::vector<size_t> frameEnds(pieces);
    Throughput best;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        for (size_t i = 0; i < pieces; ++i)
            std::memcpy(copy.data() + i * kPiece, src + i * kPiece, kPiece);
        best.memcpyMs = std::min(best.memcpyMs, t.nsecsElapsed() / 1e6);
        g_sink = copy[size_t(round)];

        t.restart();
        size_t used = 0;
        for (size_t i = 0; i < pieces; ++i) {
            used += frame::encodeM(0x18, uint32_t(pieces), uint32_t(i), src + i * kPiece, kPiece,
                                   wire.data() + used, wire.size() - used);
            frameEnds[i] = used;
        }
        best.encodeMs = std::min(best.encodeMs, t.nsecsElapsed() / 1e6);

        // Decode as a receiver would: the stream in 64 KiB reads, each frame's
        // payload appended to the received data.
        t.restart();
        frame::FrameDecoder decoder(frame::Layout::M);
        size_t pos = 0, out = 0;
        while (pos < used) {
            const size_t chunk = std::min<size_t>(65536, used - pos);
            size_t at = 0;
            while (at < chunk) {
                const frame::DecodeResult r = decoder.feed(wire.data() + pos + at, chunk - at);
                at += r.consumed;
                if (r.status == frame::DecodeStatus::Frame) {
                    std::memcpy(copy.data() + out, decoder.frame().payload,
                                decoder.frame().payloadSize);
                    out += decoder.frame().payloadSize;
                } else if (r.status == frame::DecodeStatus::Invalid) {
                    std::fprintf(stderr, "decode error %s\n", r.error);
                    return best;
                }
            }
            pos += chunk;
        }
        best.decodeMs = std::min(best.decodeMs, t.nsecsElapsed() / 1e6);
        if (out != pieces * kPiece || std::memcmp(copy.data(), src, out) != 0)
            std::fprintf(stderr, "round trip mismatch\n");
        g_sink = out;
    }
    return best;
}

void reportCodec(const char *label, const QByteArray &data)
{
    const Throughput t = measureCodec(data);
    const double mb = double(data.size()) / (1024.0 * 1024.0);
    std::printf("%-22s memcpy %8.0f MB/s | encode %7.0f MB/s | decode %7.0f MB/s | "
                "encode+decode = %.2fx memcpy (target <= 5x)\n",
                label, mb / (t.memcpyMs / 1000), mb / (t.encodeMs / 1000), mb / (t.decodeMs / 1000),
                (t.encodeMs + t.decodeMs) / t.memcpyMs);
}

// stepvane-sim from beside this program, on an ephemeral loopback port.
struct Sim {
    pid_t pid = -1;
    int port = 0;
    std::thread drain;

    explicit Sim(const QString &store)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        const QByteArray program =
            (programDirectory() + QStringLiteral("/stepvane-sim")).toLocal8Bit();
        const QByteArray storeArg = store.toLocal8Bit();
        pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(program.constData(), program.constData(), "--port", "0", "--bind", "127.0.0.1",
                  "--store", storeArg.constData(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(out[1]);
        QByteArray log;
        static const QRegularExpression portLine(QStringLiteral("listening on port (\\d+)"));
        char buffer[4096];
        while (port == 0) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            log.append(buffer, n);
            const auto m = portLine.match(QString::fromUtf8(log));
            if (m.hasMatch())
                port = m.captured(1).toInt();
        }
        // Keep reading so the simulator never blocks on a full pipe.
        drain = std::thread([fd = out[0]] {
            char b[4096];
            while (read(fd, b, sizeof b) > 0) {
            }
            close(fd);
        });
    }
    ~Sim()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (drain.joinable())
            drain.join();
    }
};

void reportLoopbackSend()
{
    QTemporaryDir dir;
    Sim sim(dir.filePath(QStringLiteral("store")));
    if (sim.port == 0) {
        std::printf("loopback send: stepvane-sim did not start\n");
        return;
    }
    const int size = 1024 * 1024;
    const QString path = dir.filePath(QStringLiteral("one-megabyte.wzd"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(wizardLikeText(size));
    }
    CollectingMessageSink sink;
    TransferWorkflow wf(&sink);
    CommSettings settings;
    settings.method = kMethodIPv4;
    settings.ip = QStringLiteral("127.0.0.1");
    settings.port = sim.port;
    wf.setSettings(settings);
    QElapsedTimer contentTimer;
    wf.setProgressCallback([&](int value, int) {
        if (value == 1 && !contentTimer.isValid())
            contentTimer.start(); // the first piece has gone
    });
    QElapsedTimer total;
    total.start();
    const TransferStatus status = wf.sendFile(path);
    const double totalMs = total.nsecsElapsed() / 1e6;
    const double contentMs = contentTimer.isValid() ? contentTimer.nsecsElapsed() / 1e6 : 0;
    const int pieces = size / CDevComm::kTcpPiece + 1;
    const double boundMs = pieces * double(CDevComm::kPieceGapMs);
    std::printf("loopback send of 1 MB (%d pieces): %s\n", pieces,
                status == TransferStatus::Completed ? "completed" : "FAILED");
    std::printf("  wall time %.0f ms (connect, name record, 100 ms pause, content) = %.2f%% of "
                "the pacing bound %.0f ms (target <= 103%%)\n",
                totalMs, 100.0 * totalMs / boundMs, boundMs);
    std::printf("  content alone (first piece to last) %.0f ms for %d pauses of 20 ms = %.2f%%\n",
                contentMs, pieces - 1, 100.0 * contentMs / ((pieces - 1) * 20.0));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("frame codec, %zu MiB in %zu-byte pieces, best of %d rounds\n",
                kTotal / (1024 * 1024), kPiece, kRounds);
    reportCodec("wizard-like text", wizardLikeText(kTotal));
    reportCodec("random bytes", randomBytes(kTotal));
    reportLoopbackSend();
    return 0;
}
