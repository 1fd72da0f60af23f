// The instrument simulator as a child process, and the connection settings
// that point the programs at it: for the tests that run real transfers.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace stepvane::test {

// The connection the editor's settings name (method 1: TCP/IPv4).
inline void storeConnection(int method, const QString &ip, int port)
{
    QSettings store(QStringLiteral("Vexmar"), QStringLiteral("Stepvane"));
    store.setValue(QStringLiteral("Connection/Method"), method);
    store.setValue(QStringLiteral("Connection/IP"), ip);
    store.setValue(QStringLiteral("Connection/Port"), port);
    store.sync();
}

// stepvane-sim on 127.0.0.1 and a free port, stopped when the test ends.
class Sim {
public:
    explicit Sim(QStringList extra = {})
    {
        m_process.setProgram(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-sim"));
        m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                           QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                           QStringLiteral("--store"), m_store.path()} +
                               extra);
        m_process.start();
        QByteArray out;
        // The simulator prints its port once it listens (bounded wait).
        for (int i = 0; i < 100 && m_port == 0; ++i) {
            m_process.waitForReadyRead(100);
            out += m_process.readAllStandardOutput();
            const QByteArray marker("listening on port ");
            const qsizetype at = out.indexOf(marker);
            const qsizetype end = at >= 0 ? out.indexOf(' ', at + marker.size()) : -1;
            if (end > 0)
                m_port = out.mid(at + marker.size(), end - at - marker.size()).toInt();
        }
    }
    ~Sim() { stop(); }
    void stop()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    int port() const { return m_port; }
    QString stored(const QString &name) const { return QDir(m_store.path()).filePath(name); }

private:
    QTemporaryDir m_store;
    QProcess m_process;
    int m_port = 0;
};

} // namespace stepvane::test
