// CSocketComm against listeners on the loopback addresses: connect rules of
// both families, whole-frame writes against a slow reader, reads and closes.
#include "comm/CDevComm.h"
#include "comm/CSocketComm.h"
#include "comm/TransferWorkflow.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace stepvane;

namespace {

// A listening socket on a loopback address and an ephemeral port.
struct Listener {
    int fd = -1;
    int port = 0;
    explicit Listener(bool v6)
    {
        fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 a6{AF_INET6, 0, 0, in6addr_loopback, 0};
        sockaddr_in a4{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        auto *a = v6 ? reinterpret_cast<sockaddr *>(&a6) : reinterpret_cast<sockaddr *>(&a4);
        socklen_t len = v6 ? sizeof a6 : sizeof a4;
        if (bind(fd, a, len) == 0 && listen(fd, 4) == 0 && getsockname(fd, a, &len) == 0)
            port = ntohs(v6 ? a6.sin6_port : a4.sin_port);
    }
    ~Listener() { close(fd); }
    int accept(int timeoutMs = 5000)
    {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, timeoutMs) == 1 ? ::accept(fd, nullptr, nullptr) : -1;
    }
};

// True when the peer of fd has closed (a read gives end of file in time).
bool peerClosed(int fd)
{
    pollfd p{fd, POLLIN, 0};
    char c;
    return poll(&p, 1, 5000) == 1 && recv(fd, &c, 1, 0) == 0;
}

} // namespace

TEST(SocketComm, PortAndAddressLookups)
{
    EXPECT_EQ(CSocketComm::GetPortNumber("66"), 66);
    EXPECT_EQ(CSocketComm::GetPortNumber("4066"), 4066);
    EXPECT_EQ(CSocketComm::GetPortNumber("70000"), 0);
    EXPECT_EQ(CSocketComm::GetPortNumber("no-such-service-xyz"), 0);
    in_addr a{};
    ASSERT_TRUE(CSocketComm::GetIPAddress("255.255.255.255", a));
    EXPECT_EQ(a.s_addr, htonl(INADDR_BROADCAST));
    ASSERT_TRUE(CSocketComm::GetIPAddress("127.0.0.1", a));
    EXPECT_EQ(a.s_addr, htonl(INADDR_LOOPBACK));
    EXPECT_FALSE(CSocketComm::GetIPAddress(QString(), a));
}

TEST(SocketComm, IPv4SecondConnectFailsAndKeepsTheFirst)
{
    Listener server(false);
    ASSERT_GT(server.port, 0);
    CSocketComm client;
    client.setService(QString::number(server.port));
    ASSERT_TRUE(client.ConnectTo("127.0.0.1"));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);
    const int first = client.socketHandle();
    EXPECT_FALSE(client.ConnectTo("127.0.0.1"));
    EXPECT_EQ(client.socketHandle(), first);
    const uint8_t ping[] = {1, 2, 3};
    EXPECT_EQ(client.WriteComm(ping, 3), 3);
    uint8_t got[3] = {};
    EXPECT_EQ(recv(peer, got, 3, MSG_WAITALL), 3);
    EXPECT_EQ(got[2], 3);

    // Nothing to read within the time-out gives 0; a closed peer gives -1.
    uint8_t buffer[16];
    EXPECT_EQ(client.ReadComm(buffer, sizeof buffer, 20), 0);
    close(peer);
    EXPECT_EQ(client.ReadComm(buffer, sizeof buffer, 2000), -1);
}

TEST(SocketComm, IPv6ConnectsToLoopbackAndDisconnectCloses)
{
    if (!test::haveIPv6Loopback())
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    Listener server(true);
    ASSERT_GT(server.port, 0);
    CDevComm dev;
    dev.SetPort(server.port);
    dev.SetAddress("::1");
    ASSERT_EQ(dev.ConnectIPv6(nullptr), 1);
    const int peer = server.accept();
    ASSERT_GE(peer, 0);
    EXPECT_EQ(dev.IsConnected(), 1);
    dev.Disconnect();
    EXPECT_EQ(dev.IsConnected(), 0);
    EXPECT_TRUE(peerClosed(peer)); // not left open until the next connect
    close(peer);

    // A host with only IPv4 addresses has nothing to connect to over IPv6.
    CSocketComm v6;
    v6.setService(QString::number(server.port));
    EXPECT_FALSE(v6.ConnectToV6("127.0.0.1"));
    EXPECT_FALSE(v6.isOpen());
}

TEST(SocketComm, WritesFramesWholeToASlowReader)
{
    Listener server(false);
    CSocketComm client;
    client.setService(QString::number(server.port));
    ASSERT_TRUE(client.ConnectTo("127.0.0.1"));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);
    // Far more than the socket buffers hold: the write must wait for room and
    // continue where the last partial send stopped.
    QByteArray big(8 * 1024 * 1024, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i % 251);
    QByteArray received;
    std::thread reader([&] {
        char buffer[65536];
        while (received.size() < big.size()) {
            const ssize_t n = recv(peer, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received.append(buffer, n);
        }
    });
    EXPECT_EQ(client.WriteComm(reinterpret_cast<const uint8_t *>(big.constData()), int(big.size())),
              int(big.size()));
    reader.join();
    EXPECT_EQ(received, big);

    // Once the peer is gone, writes fail instead of reporting success.
    close(peer);
    int result = 0;
    for (int i = 0; i < 50 && result >= 0; ++i)
        result = client.WriteComm(reinterpret_cast<const uint8_t *>(big.constData()), 65536);
    EXPECT_EQ(result, -1);
}

TEST(SocketComm, RefusedConnectFailsWithTheCableMessage)
{
    int port;
    {
        Listener gone(false); // take a free port, then release it
        port = gone.port;
    }
    CDevComm dev;
    dev.SetPort(port);
    dev.SetAddress("127.0.0.1");
    EXPECT_EQ(dev.ConnectIPv4(nullptr), 0);
    EXPECT_EQ(dev.GetErrorMessage(), "STR_DEVCOM_ERR_CHKCABLE");
    EXPECT_EQ(dev.IsConnected(), 0);
}

// Every transfer ends by a bound, and says which: a scripted peer on loopback
// answers the handshake, then trickles a reply, stops reading or reads slowly.
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
