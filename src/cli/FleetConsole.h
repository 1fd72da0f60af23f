// The fleet forms of send and fetch-setup: the instruments from --to
// HOST[:PORT] options or a --fleet CSV file, one line (or JSON object) per
// instrument as it ends and a closing line with the counts; Ctrl-C cancels.
#pragma once

#include "comm/fleet/FleetList.h"

#include <QString>
#include <QStringList>

namespace stepvane {
class FleetTransfer;
class OutputFolder;
} // namespace stepvane

namespace stepvane::cli {

// True when the arguments name instruments with --to or --fleet.
bool wantsFleet(const QStringList &argv);

struct FleetArgs {
    QString positional; // FILE or DIR
    FleetList list;
    int jobs = 0;
    bool json = false;
    bool noCheck = false;
};

// Reads the fleet form's arguments; kContinue or the exit code to stop with
// (2 for usage, 1 for a fleet file that cannot be read).
int readFleetArgs(const QStringList &argv, const QString &synopsis, FleetArgs &out);

// "HOST", "HOST:PORT", "[V6]" or "[V6]:PORT" as an instrument named by its
// host and port; an empty error on success.
QString parseTarget(const QString &text, int defaultPort, FleetInstrument &out);

// Runs the transfer (send when content is given, else fetch into folder,
// which is open) and prints as it goes; returns 0 when every instrument
// completed, else 1.
int runFleetConsole(FleetTransfer &transfer, bool json, const QString &fileName,
                    const QByteArray &content, const OutputFolder *folder);

} // namespace stepvane::cli
