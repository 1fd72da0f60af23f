// stepvane-cli run as a user runs it: its exit code and both outputs.
#pragma once

#include "support/FileSizeLimit.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace stepvane::test {

struct CliRun {
    int code = -1; // -1 when the program did not finish within a minute
    QString out;
    QString err;
};

// writeLimit > 0 runs the program as on a nearly full disk: no file it writes
// may grow past that many bytes.
inline CliRun cli(const QStringList &args, const QByteArray &tmpdir = QByteArray(),
                  rlim_t writeLimit = 0)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!tmpdir.isEmpty())
        env.insert("TMPDIR", QString::fromUtf8(tmpdir));
    p.setProcessEnvironment(env);
    if (writeLimit > 0)
        FileSizeLimit::applyToChild(p, writeLimit);
    p.start(QStringLiteral(STEPVANE_BIN_DIR "/stepvane-cli"), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace stepvane::test
