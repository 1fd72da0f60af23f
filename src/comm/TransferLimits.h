// How long a transfer may take. Each wait of the protocol has its own short
// bound (a reply, a write, a connect); these bound the whole: a peer that
// keeps answering just in time, or takes one byte now and then, still cannot
// hold a transfer open for ever.
#pragma once

#include <QString>

#include <cstdint>

namespace stepvane {

struct TransferLimits {
    // Time every transfer gets on top of its paced time.
    int floorMs = 10000;
    // The paced time may stretch this many times on a busy machine or link.
    int slack = 2;
    // A peer that takes no byte of a send for this long has stopped reading.
    int stallMs = 6000;

    // The overall bound for moving `bytes` in pieces of `piece` bytes, one
    // piece per `gapMs` (the protocol's pace), in milliseconds.
    int64_t boundMs(int64_t bytes, int piece, int gapMs) const
    {
        const int64_t pieces = (bytes < 0 ? 0 : bytes) / (piece > 0 ? piece : 1) + 1;
        return int64_t(floorMs) + int64_t(slack) * pieces * gapMs;
    }

    // What the user reads when the overall bound was hit.
    static QString overallText(int64_t boundMs, int64_t bytes)
    {
        return QStringLiteral("The transfer did not finish within its time limit of %1 s "
                              "(%2 bytes at the protocol's pace, with room to spare).")
            .arg((boundMs + 999) / 1000)
            .arg(bytes);
    }
    // What the user reads when the peer stopped taking a send.
    static QString stallText(int stallMs)
    {
        return QStringLiteral("The instrument stopped taking data: nothing was accepted for %1 s.")
            .arg((stallMs + 999) / 1000);
    }
};

} // namespace stepvane
