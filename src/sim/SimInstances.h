// Several instruments in one stepvane-sim process (--instances N): one
// listening server per instrument, each on its own port, with its own store
// folder, log prefix and fault mode, so a faulty instrument can sit in a
// healthy fleet.
#pragma once

#include "sim/SimServer.h"

#include <atomic>
#include <vector>

namespace stepvane {
class OutputFolder;
}

namespace stepvane::sim {

struct InstanceFault {
    int index = 0; // counted from 0
    EndpointFault fault = EndpointFault::None;
    int closeAfter = 0;
};

// Parses "K:MODE" (or "MODE" for every instance, K = -1); empty on success,
// else what is wrong, with the valid values.
QString parseInstanceFault(const QString &text, InstanceFault &out);

// Serves count instruments on ports base.port .. base.port + count - 1 (with
// port 0 each picks a free one) until stop. Instance K logs with the prefix
// "sim K: " and keeps the files it receives in storeRoot/<port>/ (nothing is
// kept when storeRoot is null; it is open). Returns the exit status.
int runInstances(const SimConfig &base, int count, OutputFolder *storeRoot,
                 const std::vector<InstanceFault> &faults, const std::atomic<bool> &stop);

} // namespace stepvane::sim
