// stepvane-sim: stands in for the instrument on TCP. It answers the handshake,
// stores the wizard files the editor sends, answers setup fetches, and can
// misbehave in one chosen way per run, logging one line per exchange.
#include "sim/SimInstances.h"
#include "sim/SimServer.h"
#include "sim/SimStore.h"

#include "common/Leftovers.h"
#include "common/OutputFolder.h"
#include "instrument_files/LanguageInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <cstdio>

using namespace stepvane;
using namespace stepvane::sim;

namespace {

std::atomic<bool> g_stop{false};

void onSignal(int)
{
    g_stop = true;
}

const char kUsage[] =
    "usage: stepvane-sim [--port N] [--bind ADDR]... [--store DIR] [--setup FILE]\n"
    "                    [--chunk N] [--fiber] [--fault [K:]MODE]... [--instances N]\n"
    "                    [--idle-timeout S] [--max-connections N]\n\n"
    "Stands in for the instrument on TCP (IPv4 and IPv6).\n"
    "  --port N      port to listen on (default 66; 0 picks a free one, printed on start)\n"
    "  --bind ADDR   numeric address to listen on; may repeat or be a comma list\n"
    "                (default 127.0.0.1 and ::1, this machine only; 0.0.0.0,:: for all)\n"
    "  --store DIR   folder for received files (created when missing)\n"
    "  --setup FILE  the setup file a fetch returns (default: an empty one)\n"
    "  --chunk N     payload bytes per setup reply frame, 1..4099 (default 4096)\n"
    "  --fiber       answer setup fetches as an instrument in fiber inspection mode\n"
    "  --fault MODE  checksum | gap | stray | oversize | silent | close-after=N;\n"
    "                K:MODE gives instance K (from 0) its own fault\n"
    "  --instances N serve N instruments (1..128) on ports P..P+N-1 of --port P (with 0\n"
    "                each picks a free one), each storing into DIR/<port>/ and\n"
    "                logging with the prefix \"sim K: \"\n"
    "  --idle-timeout S     close a connection without a request for S seconds (default 10)\n"
    "  --max-connections N  serve N at once, tell further senders \"busy\" (default 64)\n"
    "Stops on SIGINT or SIGTERM.\n";

int usage(const QString &error)
{
    std::fprintf(stderr, "stepvane-sim: %s\n%s", qPrintable(error), kUsage);
    return 2;
}

bool intOption(const QString &text, int low, int high, int &out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    out = v;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    // A file-size limit is then a write error like a full disk, not the end.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    // What killed runs of any of the programs left in the temporary folder.
    stepvane::sweepLeftovers();
    LoadLanguageInfo();
    const QStringList args = app.arguments().mid(1);

    SimConfig config;
    QString storeDir;
    QString setupPath;
    int instances = 0; // 0: the single instrument of old, unprefixed
    std::vector<InstanceFault> faults;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        const QString value = hasValue ? args.at(i + 1) : QString();
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == QLatin1String("--fiber")) {
            config.endpoint.fiber = true;
            continue;
        }
        if (!hasValue)
            return usage(QStringLiteral("unknown option or missing value: %1").arg(a));
        ++i;
        if (a == QLatin1String("--port")) {
            if (!intOption(value, 0, 65535, config.port))
                return usage(QStringLiteral("--port needs 0..65535"));
        } else if (a == QLatin1String("--bind")) {
            for (const QString &address : value.split(u',')) {
                if (address.trimmed().isEmpty())
                    return usage(QStringLiteral("--bind %1: an address is empty").arg(value));
                config.binds << address.trimmed();
            }
        } else if (a == QLatin1String("--store")) {
            storeDir = value;
        } else if (a == QLatin1String("--setup")) {
            setupPath = value;
        } else if (a == QLatin1String("--chunk")) {
            if (!intOption(value, 1, 4099, config.endpoint.chunk))
                return usage(QStringLiteral("--chunk needs 1..4099"));
        } else if (a == QLatin1String("--idle-timeout")) {
            bool ok = false;
            const double seconds = value.toDouble(&ok);
            if (!ok || seconds < 0.01 || seconds > 86400)
                return usage(QStringLiteral("--idle-timeout needs 0.01..86400 seconds"));
            config.idleTimeoutMs = int(seconds * 1000);
        } else if (a == QLatin1String("--max-connections")) {
            if (!intOption(value, 1, 1000, config.maxConnections))
                return usage(QStringLiteral("--max-connections needs 1..1000"));
        } else if (a == QLatin1String("--fault")) {
            InstanceFault fault;
            if (const QString error = parseInstanceFault(value, fault); !error.isEmpty())
                return usage(error);
            faults.push_back(fault);
        } else if (a == QLatin1String("--instances")) {
            if (!intOption(value, 1, 128, instances))
                return usage(QStringLiteral("--instances needs 1..128"));
        } else {
            return usage(QStringLiteral("unknown option %1").arg(a));
        }
    }

    if (!setupPath.isEmpty()) {
        QFile setup(setupPath);
        if (!setup.open(QIODevice::ReadOnly))
            return usage(QStringLiteral("cannot read the setup file %1").arg(setupPath));
        config.endpoint.setup = setup.readAll();
        for (const QString &line : describeSetup(setupPath, config.endpoint.setup.size()))
            logLine(line);
    }
    for (const InstanceFault &f : faults) {
        if (f.index >= std::max(instances, 1))
            return usage(QStringLiteral("--fault %1: there is no instance %1").arg(f.index));
        if (instances == 0) {
            config.endpoint.fault = f.fault;
            config.endpoint.closeAfter = f.closeAfter;
        }
    }
    if (instances > 0 && config.port > 0 && config.port + instances - 1 > 65535)
        return usage(QStringLiteral("--port N with --instances needs N + instances - 1 <= 65535"));
    // Received files go into the store folder only, never through a link.
    std::unique_ptr<OutputFolder> storeFolder;
    if (!storeDir.isEmpty()) {
        storeFolder = std::make_unique<OutputFolder>(storeDir);
        if (!storeFolder->open())
            return usage(QStringLiteral("the store folder: %1").arg(storeFolder->error()));
    }
    if (instances > 0) {
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::signal(SIGPIPE, SIG_IGN);
        const int status = runInstances(config, instances, storeFolder.get(), faults, g_stop);
        logLine(QStringLiteral("stepvane-sim stopped"));
        return status;
    }

    SimStore store(std::move(storeFolder));
    config.openFile = [&store](const QString &name) { return store.open(name); };

    SimServer server(config);
    QString error;
    if (!server.listen(error)) {
        std::fprintf(stderr, "stepvane-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    logLine(QStringLiteral("stepvane-sim listening on port %1 (%2)")
                .arg(server.port())
                .arg(server.addresses().join(QStringLiteral(", "))));
    server.run(g_stop);
    logLine(QStringLiteral("stepvane-sim stopped"));
    return 0;
}
