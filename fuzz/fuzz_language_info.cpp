// libFuzzer target: the language table reader.
#include "instrument_files/LanguageInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto entries = stepvane::parseLanguageInfo(
        QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const auto &e : entries) {
        if (e.id.isEmpty())
            __builtin_trap();
        // Every text is made of pieces that each end with a line feed (a
        // text of backslashes alone has no pieces).
        for (const QString &t : e.text)
            if (!t.isEmpty() && !t.endsWith(u'\n'))
                __builtin_trap();
    }
    return 0;
}
