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

// What the peer does after the handshake: `frames` one-byte setup frames
// `gapMs` apart (a fetch), or it reads `chunk` bytes every `gapMs` (a send;
// chunk 0: it reads nothing).
struct Script {
    int frames, chunk, gapMs;
};

// One connection on 127.0.0.1 with a small receive buffer, so a peer that
// does not read is felt after a few kilobytes.
struct Peer {
    int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;

    bool readable(int fd) const
    {
        pollfd p{fd, POLLIN, 0};
        return !stop && poll(&p, 1, 20) == 1;
    }
    void readFrame(int fd) const
    {
        for (char c = 0; c != char(frame::kEnd) && !stop;) {
            if (readable(fd) && recv(fd, &c, 1, 0) <= 0)
                return;
        }
    }
    explicit Peer(Script s)
    {
        const int small = 4096;
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t len = sizeof a;
        bind(listener, reinterpret_cast<sockaddr *>(&a), len);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        thread = std::thread([this, s] {
            while (!stop && !readable(listener)) {
            }
            const int fd = stop ? -1 : accept(listener, nullptr, nullptr);
            readFrame(fd); // the handshake, then the request or the name record
            QByteArray out = frame::frameA(frame::kCommandA, frame::kHandshake, 1, 0, "PEER");
            send(fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL);
            readFrame(fd);
            std::vector<char> buffer(size_t(std::max(s.chunk, 1)));
            for (int i = 0; !stop; ++i) {
                if (i < s.frames) {
                    out = frame::frameM(frame::kSetupFetch, s.frames, i, QByteArray(1, 'a' + i));
                    send(fd, out.constData(), size_t(out.size()), MSG_NOSIGNAL);
                } else if (s.chunk && readable(fd) &&
                           recv(fd, buffer.data(), buffer.size(), 0) <= 0) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(s.gapMs));
            }
            close(fd);
        });
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
    const QString overall = QStringLiteral("did not finish within its time limit");
    const struct {
        const char *name;
        int sendSize; // 0: fetch
        Script peer;
        TransferLimits limits; // floor, slack, stall
        QString said;          // identifier or text, details included; empty: completed
    } cases[] = {
        // Each frame comes in time for the reply timeout; the whole does not,
        // and the bound follows the size the first frame announces.
        {"fetch trickled a frame at a time",
         0,
         {20, 0, 200},
         {300, 1, 5000},
         overall + QStringLiteral(" of 2 s (81980 bytes")},
        {"fetch within its bound", 0, {5, 0, 30}, {2000, 1, 5000}, {}},
        {"send to a peer that stops reading",
         400000,
         {0, 0, 10},
         {60000, 2, 300},
         TransferLimits::stallText(300)},
        {"send to a peer that reads too slowly", 60000, {0, 1024, 50}, {300, 1, 5000}, overall},
        {"send to a peer that reads",
         60000,
         {0, 65536, 0},
         {2000, 1, 5000},
         QStringLiteral("IDS_TRANSPORT_COMPLETE")},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Peer peer(c.peer);
        CollectingMessageSink sink;
        TransferWorkflow wf(&sink);
        CommSettings settings;
        settings.method = kMethodIPv4;
        settings.ip = QStringLiteral("127.0.0.1");
        settings.port = peer.port;
        wf.setSettings(settings);
        wf.device().setLimits(c.limits);
        QFile file(dir.filePath(QString::fromLatin1(c.name)));
        const bool ok = c.said.isEmpty() || c.said.startsWith(QLatin1String("IDS_"));
        if (c.sendSize) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(c.sendSize, 'w'));
            file.close();
            EXPECT_EQ(wf.sendFile(file.fileName()) == TransferStatus::Completed, ok);
        } else {
            EXPECT_EQ(wf.fetchSetup(file.fileName()) == TransferStatus::Completed, ok);
            EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : "", ok ? "abcde" : "");
        }
        const QString texts = (sink.ids() + sink.texts()).join(u'\n');
        EXPECT_TRUE(texts.contains(c.said)) << texts.toStdString();
    }
}
