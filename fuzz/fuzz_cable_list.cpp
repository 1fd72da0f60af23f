// libFuzzer target: the cable list reader.
#include "instrument_files/CableList.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto entries =
        stepvane::parseCableList(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const auto &e : entries)
        if (e.name.isEmpty() || e.velocity.isEmpty() || e.loss1GHz.isEmpty())
            __builtin_trap();
    return 0;
}
