// Every transfer ends by a bound, and says which: scripted peers on loopback
// that answer the handshake like an instrument, then trickle a reply, stop
// reading or read slowly. Short limits keep each case well under a second.
#include "comm/CDevComm.h"
#include "comm/TransferWorkflow.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <thread>

using namespace stepvane;

namespace {

using Script = std::function<void(int fd, const std::atomic<bool> &stop)>;

// Reads until a frame's end flag came (or the peer is told to stop).
void readFrame(int fd, const std::atomic<bool> &stop)
{
    char buffer[4096];
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 20) == 1) {
            const ssize_t n = recv(fd, buffer, 1, 0);
            if (n <= 0 || buffer[0] == char(frame::kEnd))
                return;
        }
    }
}

void idle(int, const std::atomic<bool> &stop)
{
    while (!stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Sends `frames` setup reply frames of one byte, `gapMs` apart.
Script fetchReply(int frames, int gapMs)
{
    return [=](int fd, const std::atomic<bool> &stop) {
        readFrame(fd, stop);
        for (int i = 0; i < frames && !stop; ++i) {
            const QByteArray f =
                frame::frameM(frame::kSetupFetch, frames, i, QByteArray(1, 'a' + i));
            send(fd, f.constData(), size_t(f.size()), MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        }
        idle(fd, stop);
    };
}

// Takes `chunk` bytes every `gapMs` (0: as fast as they come).
Script reader(int chunk, int gapMs)
{
    return [=](int fd, const std::atomic<bool> &stop) {
        std::vector<char> buffer(static_cast<size_t>(chunk));
        while (!stop) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) == 1 && recv(fd, buffer.data(), buffer.size(), 0) <= 0)
                return;
            if (gapMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
        }
    };
}

// One connection on 127.0.0.1 with a small receive buffer, so a peer that
// does not read is felt after a few kilobytes.
struct Peer {
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;

    explicit Peer(Script script)
    {
        const int small = 4096;
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (bind(listener, reinterpret_cast<sockaddr *>(&a), len) != 0 || listen(listener, 1) != 0)
            return;
        getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        thread = std::thread([this, script] {
            pollfd p{listener, POLLIN, 0};
            while (!stop && poll(&p, 1, 20) == 0) {
            }
            if (stop)
                return;
            const int fd = accept(listener, nullptr, nullptr);
            readFrame(fd, stop); // the handshake
            const QByteArray reply =
                frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0, "PEER");
            send(fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
            script(fd, stop);
            close(fd);
        });
    }
    ~Peer()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        close(listener);
    }
};

} // namespace

TEST(Bounds, EveryTransferEndsByItsBoundAndSaysWhich)
{
    const QString overall = QStringLiteral("did not finish within its time limit");
    const struct {
        const char *name;
        int sendSize; // 0: fetch
        Script script;
        TransferLimits limits; // floor, slack, stall
        TransferStatus status;
        QString said; // in the messages (identifiers or texts, details included)
    } cases[] = {
        // Each frame comes in time for the reply timeout; the whole does not.
        {"fetch trickled one frame at a time",
         0,
         fetchReply(20, 200),
         {300, 1, 5000},
         TransferStatus::Failed,
         overall + QStringLiteral(" of 2 s (81980 bytes")},
        {"fetch within its bound",
         0,
         fetchReply(5, 30),
         {2000, 1, 5000},
         TransferStatus::Completed,
         {}},
        {"send to a peer that stops reading",
         400000,
         idle,
         {60000, 2, 300},
         TransferStatus::Failed,
         TransferLimits::stallText(300)},
        {"send to a peer that reads too slowly",
         60000,
         reader(1024, 50),
         {300, 1, 5000},
         TransferStatus::Failed,
         overall},
        {"send to a peer that reads",
         60000,
         reader(65536, 0),
         {2000, 1, 5000},
         TransferStatus::Completed,
         QStringLiteral("IDS_TRANSPORT_COMPLETE")},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Peer peer(c.script);
        ASSERT_GT(peer.port, 0);
        CollectingMessageSink sink;
        TransferWorkflow wf(&sink);
        CommSettings settings;
        settings.method = kMethodIPv4;
        settings.ip = QStringLiteral("127.0.0.1");
        settings.port = peer.port;
        wf.setSettings(settings);
        wf.device().setLimits(c.limits);
        const QString path = dir.filePath(QStringLiteral("%1.wzd").arg(c.sendSize));
        TransferStatus status;
        if (c.sendSize) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(c.sendSize, 'w'));
            f.close();
            status = wf.sendFile(path);
        } else {
            status = wf.fetchSetup(path);
        }
        EXPECT_EQ(status, c.status);
        const QString texts = (sink.ids() + sink.texts()).join(u'\n');
        EXPECT_TRUE(texts.contains(c.said)) << texts.toStdString();
        if (!c.sendSize) {
            QFile f(path);
            EXPECT_EQ(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray(),
                      c.status == TransferStatus::Completed ? QByteArray("abcde") : QByteArray());
        }
    }
}
