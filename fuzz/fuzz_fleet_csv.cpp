// libFuzzer target: the fleet CSV reader. A file it accepts must hold only
// entries the fleet's rules allow and come back the same through the writer.
#include "comm/fleet/FleetList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace stepvane;
    const FleetCsvResult read =
        parseFleetCsv(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!read.ok()) {
        if (!read.list.empty() || read.line < 0)
            __builtin_trap();
        return 0;
    }
    int usb = 0;
    for (const FleetInstrument &in : read.list) {
        if (!fleetEntryProblem(in).isEmpty())
            __builtin_trap();
        usb += in.method == kMethodUsb ? 1 : 0;
    }
    if (usb > 1 || read.list.size() > size_t(kMaxFleetSize))
        __builtin_trap();
    const FleetCsvResult again = parseFleetCsv(fleetCsv(read.list));
    if (!again.ok() || again.list != read.list)
        __builtin_trap();
    return 0;
}
