// Running several simulated instruments side by side.
#include "sim/SimInstances.h"

#include "sim/SimStore.h"

#include "common/OutputFolder.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <thread>

namespace stepvane::sim {

QString parseInstanceFault(const QString &text, InstanceFault &out)
{
    out = InstanceFault();
    out.index = -1;
    QString mode = text;
    const qsizetype colon = text.indexOf(u':');
    if (colon >= 0) {
        bool ok = false;
        out.index = text.left(colon).toInt(&ok);
        if (!ok || out.index < 0)
            return QStringLiteral("--fault %1: K in K:MODE is an instance number from 0").arg(text);
        mode = text.mid(colon + 1);
    }
    if (parseEndpointFault(mode, out.fault, out.closeAfter))
        return QString();
    if (mode.startsWith(QLatin1String("close-after=")))
        return QStringLiteral("--fault %1: close-after=N needs N from 1 to %2 (frames received "
                              "before the connection is closed)")
            .arg(text)
            .arg(std::numeric_limits<int>::max());
    return QStringLiteral("--fault %1: unknown fault mode (checksum, gap, stray, oversize, "
                          "silent or close-after=N)")
        .arg(text);
}

int runInstances(const SimConfig &base, int count, OutputFolder *storeRoot,
                 const std::vector<InstanceFault> &faults, const std::atomic<bool> &stop)
{
    struct Instance {
        std::unique_ptr<SimServer> server;
        std::unique_ptr<SimStore> store;
    };
    std::vector<Instance> instances(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        SimConfig config = base;
        config.port = base.port == 0 ? 0 : base.port + k;
        config.logPrefix = QStringLiteral("sim %1: ").arg(k);
        for (const InstanceFault &f : faults) {
            if (f.index == k || f.index < 0) {
                config.endpoint.fault = f.fault;
                config.endpoint.closeAfter = f.closeAfter;
            }
        }
        Instance &instance = instances[size_t(k)];
        // The store is known once the port is: the callback looks it up then.
        std::unique_ptr<SimStore> *store = &instance.store;
        const QString prefix = config.logPrefix;
        // Uploads go to the store's file as they arrive, as with one instance.
        config.openFile = [store](const QString &name) { return (*store)->open(name); };
        instance.server = std::make_unique<SimServer>(config);
        QString error;
        if (!instance.server->listen(error)) {
            std::fprintf(stderr, "stepvane-sim: instance %d: %s\n", k, qPrintable(error));
            return 1;
        }
        std::unique_ptr<OutputFolder> folder;
        if (storeRoot) {
            folder = storeRoot->subfolder(QString::number(instance.server->port()));
            if (!folder) {
                std::fprintf(stderr, "stepvane-sim: the store folder: %s\n",
                             qPrintable(storeRoot->error()));
                return 1;
            }
        }
        instance.store = std::make_unique<SimStore>(std::move(folder));
        logLine(QStringLiteral("%1stepvane-sim listening on port %2 (%3)")
                    .arg(prefix)
                    .arg(instance.server->port())
                    .arg(instance.server->addresses().join(QStringLiteral(", "))));
    }
    std::vector<std::thread> threads;
    threads.reserve(instances.size());
    for (Instance &instance : instances)
        threads.emplace_back([&instance, &stop] { instance.server->run(stop); });
    for (std::thread &t : threads)
        t.join();
    return 0;
}

} // namespace stepvane::sim
