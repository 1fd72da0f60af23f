// Base64 decoding speed on the text a large wizard carries: about 70 MB of
// 76-character lines. Reports MB/s of text (best of a few runs) for a whole
// decode, a count alone, one stream fed the whole text at once (as the parser
// hands over an element's text) and one fed in pieces of a few hundred bytes.
// Times are the thread's CPU time, steadier than wall time on a busy machine;
// fresh output memory costs page faults, so the decodings are timed again
// with freed memory kept for reuse. Encoding is timed with each kernel the
// processor has, of the whole bytes and in the slices a save encodes at a
// time (MB/s of text written, too). "bench_base64 MB" sets the size of the text.
#include "document/Base64.h"

#include <QByteArray>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>

using namespace stepvane;

namespace {

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double bestMBps(qsizetype textSize, const std::function<bool()> &run)
{
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        const double start = cpuSeconds();
        if (!run()) {
            std::printf("decoding failed\n");
            std::exit(1);
        }
        const double seconds = std::max(cpuSeconds() - start, 1e-9);
        best = std::max(best, double(textSize) / 1e6 / seconds);
    }
    return best;
}

bool streamed(const QByteArray &text, qsizetype piece, Base64Keeps keeps)
{
    Base64Stream stream(keeps);
    for (qsizetype at = 0; at < text.size(); at += piece)
        stream.feed(text.constData() + at, std::min(piece, text.size() - at));
    return stream.finish();
}

// Encodes bytes as a save does: slices of whole lines, one after another.
bool encodedInSlices(const QByteArray &bytes, qsizetype textSize)
{
    constexpr qsizetype kSlice = kBase64LineLength / 4 * 3 * 16384;
    qsizetype written = 0;
    for (qsizetype at = 0; at < bytes.size(); at += kSlice) {
        const qsizetype n = std::min(kSlice, bytes.size() - at);
        written += encodeBase64Lines(QByteArray::fromRawData(bytes.constData() + at, n)).size();
        written += at > 0 ? 1 : 0;
    }
    return written == textSize;
}

void benchEncoders(const QByteArray &bytes, const QByteArray &text)
{
    const Base64Kernel widest = base64Kernel();
    const char *names[] = {"scalar", "ssse3", "avx2"};
    for (Base64Kernel kernel : {Base64Kernel::Scalar, Base64Kernel::Ssse3, Base64Kernel::Avx2}) {
        if (!useBase64Kernel(kernel))
            continue;
        if (encodeBase64Lines(bytes) != text) {
            std::printf("encoding with %s differs\n", names[int(kernel)]);
            std::exit(1);
        }
        std::printf(
            "encodeBase64Lines, %-6s:         %7.0f MB/s\n", names[int(kernel)],
            bestMBps(text.size(), [&] { return encodeBase64Lines(bytes).size() == text.size(); }));
        std::printf("encodeBase64Lines, %-6s, slices: %7.0f MB/s\n", names[int(kernel)],
                    bestMBps(text.size(), [&] { return encodedInSlices(bytes, text.size()); }));
    }
    useBase64Kernel(widest);
}

} // namespace

int main(int argc, char **argv)
{
    const qsizetype megabytes = argc > 1 ? std::atoi(argv[1]) : 70;
    QByteArray bytes(megabytes * 1000 * 1000 / 4 * 3, Qt::Uninitialized);
    std::mt19937 gen(1);
    for (char &b : bytes)
        b = char(gen());
    const QByteArray text = encodeBase64Lines(bytes);
    const qsizetype size = text.size();
    std::printf("text: %.1f MB of %d-character lines\n", double(size) / 1e6, kBase64LineLength);

    benchEncoders(bytes, text);

    QByteArray out;
    std::printf("decodeBase64:          %7.0f MB/s\n", bestMBps(size, [&] {
                    return decodeBase64(text, out) && out.size() == bytes.size();
                }));
    std::printf("decodedBase64Size:     %7.0f MB/s\n",
                bestMBps(size, [&] { return decodedBase64Size(text) == bytes.size(); }));
    std::printf("stream, one piece:     %7.0f MB/s\n",
                bestMBps(size, [&] { return streamed(text, size, Base64Keeps::Bytes); }));
    std::printf("stream, 300-byte bits: %7.0f MB/s\n",
                bestMBps(size, [&] { return streamed(text, 300, Base64Keeps::Bytes); }));
    std::printf("stream, count only:    %7.0f MB/s\n",
                bestMBps(size, [&] { return streamed(text, size, Base64Keeps::Size); }));
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    std::printf("decodeBase64, memory reused:      %7.0f MB/s\n", bestMBps(size, [&] {
                    return decodeBase64(text, out) && out.size() == bytes.size();
                }));
    std::printf("stream, one piece, memory reused: %7.0f MB/s\n",
                bestMBps(size, [&] { return streamed(text, size, Base64Keeps::Bytes); }));
    return out == bytes ? 0 : 1;
}
