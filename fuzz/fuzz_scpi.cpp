// libFuzzer target: the SCPI command catalogue reader.
#include "instrument_files/CVXSCPI_PARSER.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    stepvane::CVXSCPI_PARSER parser;
    parser.loadFromBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // Groups are distinct and never outnumber the records.
    QStringList groups = parser.groups();
    if (groups.size() > qsizetype(parser.records().size()) || groups.removeDuplicates() != 0)
        __builtin_trap();
    return 0;
}
