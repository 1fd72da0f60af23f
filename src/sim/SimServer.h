// stepvane-sim's network side: listening sockets on IPv4 and IPv6 with one
// shared port, and one thread per connection that feeds an
// InstrumentEndpoint and writes its replies back.
#pragma once

#include "comm/InstrumentEndpoint.h"

#include <QString>
#include <QStringList>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace stepvane::sim {

// One line on stdout, flushed at once so a pipe reader sees it (any thread).
void logLine(const QString &line);

struct SimConfig {
    int port = 66;     // 0: the system picks one (printed on start)
    QStringList binds; // empty: the loopback addresses 127.0.0.1 and ::1
    EndpointOptions endpoint;
    QString logPrefix; // put before every line this server logs
    // A connection that completed no request for this long is closed.
    int idleTimeoutMs = 10000;
    // Connections served at once; the next sender is told "busy".
    int maxConnections = 64;
    // Where a received file goes as it arrives (on the connection's thread);
    // lines it returns are logged with the connection's prefix.
    std::function<std::unique_ptr<ReceivedFile>(const QString &name)> openFile;
    // Without openFile: every file that arrived whole, on the connection's thread.
    std::function<void(int connection, const QString &name, const QByteArray &content)> onFile;
};

class SimServer {
public:
    explicit SimServer(SimConfig config);
    ~SimServer();
    SimServer(const SimServer &) = delete;
    SimServer &operator=(const SimServer &) = delete;

    // Opens the listening sockets; false with the reason in error.
    bool listen(QString &error);
    int port() const { return m_port; }
    QStringList addresses() const { return m_addresses; }
    // Accepts and serves until stop becomes true; then ends every connection.
    void run(const std::atomic<bool> &stop);

private:
    bool bindAll(int port, QString &error);
    void closeListeners();
    void serve(int fd, int id, const std::atomic<bool> &stop);
    void log(const QString &line) const { logLine(m_config.logPrefix + line); }
    void accept(int listener, int id, const std::atomic<bool> &stop);
    void tellBusy(int fd, int id);
    void serviceBusy(const std::vector<pollfd> &fds);

    SimConfig m_config;
    std::vector<int> m_listeners;
    QStringList m_addresses;
    int m_port = 0;
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void reapFinished(bool all);
    std::vector<Connection> m_connections;
    // Senders told "busy": kept until they close or a short while passes,
    // so the reply is read before the connection goes.
    struct Busy {
        int fd;
        std::chrono::steady_clock::time_point until;
    };
    std::vector<Busy> m_busy;
};

} // namespace stepvane::sim
