// Every transfer ends by a bound, and says which: a scripted peer on loopback
// answers the handshake, then trickles a reply, stops reading or reads slowly.
#include "comm/CDevComm.h"
#include "comm/TransferWorkflow.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <functional>
#include <thread>

using namespace stepvane;
using namespace std::chrono_literals;

namespace {

// After the handshake the peer sends `frames` one-byte setup frames `gapMs`
// apart (a fetch), or reads `chunk` bytes every `gapMs` (a send; 0: nothing).
// Its receive buffer is small, so a peer that does not read is felt at once.
struct Peer {
    int frames, chunk, gapMs;
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0), port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;

    bool readable(int fd) const
    {
        pollfd p{fd, POLLIN, 0};
        return !stop && poll(&p, 1, 20) == 1;
    }
    void readFrame(int fd) const
    {
        for (char c = 0; c != char(frame::kEnd) && !stop;)
            if (readable(fd) && recv(fd, &c, 1, 0) <= 0)
                return;
    }
    void serve()
    {
        while (!stop && !readable(listener)) {
        }
        const int fd = stop ? -1 : accept(listener, nullptr, nullptr);
        readFrame(fd); // the handshake
        const QByteArray hello = frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0, "PEER");
        send(fd, hello.constData(), size_t(hello.size()), MSG_NOSIGNAL);
        readFrame(fd); // the request or the name record
        std::vector<char> buffer(static_cast<size_t>(chunk));
        for (int i = 0; !stop; ++i) {
            const QByteArray f =
                frame::frameM(frame::kSetupFetch, frames, i, QByteArray(1, char('a' + i)));
            if (i < frames)
                send(fd, f.constData(), size_t(f.size()), MSG_NOSIGNAL);
            else if (chunk && readable(fd) && recv(fd, buffer.data(), buffer.size(), 0) <= 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        }
        close(fd);
    }
    Peer(int f, int c, int g) : frames(f), chunk(c), gapMs(g)
    {
        const int small = 4096;
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t len = sizeof a;
        bind(listener, reinterpret_cast<sockaddr *>(&a), len);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        thread = std::thread(&Peer::serve, this);
    }
    ~Peer()
    {
        stop = true;
        thread.join();
        close(listener);
    }
};

} // namespace

TEST(Bounds, EveryTransferEndsByItsBoundAndSaysWhich)
{
    const QString late = "did not finish within its time limit";
    const struct {
        const char *name;
        int sendSize, frames, chunk, gapMs; // sendSize 0: fetch
        TransferLimits limits;              // floor, slack, stall
        QString said;                       // in the messages, details included; empty: completed
    } cases[] = {
        // Each frame comes in time for the reply timeout; the whole does not,
        // and the bound follows the size the first frame announces.
        {"trickled fetch", 0, 20, 0, 200, {300, 1, 5000}, late + " of 2 s (81980 bytes"},
        {"fetch in time", 0, 5, 0, 30, {2000, 1, 5000}, {}},
        {"deaf reader", 400000, 0, 0, 10, {60000, 2, 300}, TransferLimits::stallText(300)},
        {"slow reader", 60000, 0, 1024, 50, {300, 1, 5000}, late},
        // 50 pauses of 20 ms: the bound over TCP's pace holds it with room,
        // one over USB's faster pace (5 ms a piece) would not.
        {"paced send", 50 * 2048, 0, 1 << 16, 1, {300, 2, 5000}, {}},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Peer peer(c.frames, c.chunk, c.gapMs);
        CollectingMessageSink sink;
        TransferWorkflow wf(&sink);
        wf.setSettings({kMethodIPv4, "127.0.0.1", {}, peer.port});
        wf.device().setLimits(c.limits);
        QFile file(dir.filePath(QString::fromLatin1(c.name)));
        if (c.sendSize) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(QByteArray(c.sendSize, 'w')));
            file.close();
            EXPECT_EQ(wf.sendFile(file.fileName()) == TransferStatus::Completed, c.said.isEmpty());
        } else {
            EXPECT_EQ(wf.fetchSetup(file.fileName()) == TransferStatus::Completed,
                      c.said.isEmpty());
            EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : "",
                      c.said.isEmpty() ? "abcde" : "");
        }
        const QString texts = sink.texts().join(u'\n');
        EXPECT_TRUE(texts.contains(c.said)) << texts.toStdString();
    }
}
