// libFuzzer target: the binary setup-file reader and its summary.
#include "instrument_files/VX_CAA_SETUP_PARSER.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    stepvane::VX_CAA_SETUP_PARSER parser;
    parser.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QString summary = parser.Summary(QStringLiteral("fuzz.sta"));
    // Both forms start with the file name line.
    if (!summary.startsWith(QLatin1String(" 1. File Name: fuzz.sta\n")))
        __builtin_trap();
    return 0;
}
