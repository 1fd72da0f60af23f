// stepvane-cli fetch-setup: saves the instrument's current setup file, or
// every instrument's of a fleet into a folder.
#include "cli/CliCommand.h"
#include "cli/FleetConsole.h"
#include "cli/TransferConsole.h"
#include "comm/fleet/FleetTransfer.h"
#include "common/OutputFolder.h"

#include <QFileInfo>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("fetch-setup OUT [--tcp HOST | --tcp6 HOST | --usb] [--port N]");
const QString kFleetSynopsis = QStringLiteral(
    "fetch-setup DIR --to HOST[:PORT] [--to ...] | --fleet FLEET.csv [--jobs N] [--json]");

const CliOptions kOptions = transferOptions();

int runFleetFetch(const QStringList &argv)
{
    FleetArgs args;
    if (const int stop = readFleetArgs(argv, kFleetSynopsis, args); stop != kContinue)
        return stop;
    if (args.noCheck)
        return usageError(kFleetSynopsis, QStringLiteral("unknown option --no-check"));
    // Setups are written into DIR only, never through a link in or as it.
    OutputFolder folder(args.positional);
    if (!folder.open()) {
        printError(folder.error());
        return kExitFailure;
    }
    FleetTransfer transfer(args.list, CommSettings::load());
    transfer.setJobs(args.jobs);
    return runFleetConsole(transfer, args.json, QString(), QByteArray(), &folder);
}

int runFetch(const QStringList &argv)
{
    if (wantsFleet(argv))
        return runFleetFetch(argv);
    QString out;
    CommSettings settings;
    if (const int stop =
            readTransferOptions(argv, kSynopsis, QStringLiteral("OUT file"), out, settings);
        stop != kContinue)
        return stop;
    const int code =
        runConsoleTransfer(settings, [&out](TransferWorkflow &wf) { return wf.fetchSetup(out); });
    if (code == kExitOk)
        printOut(
            QStringLiteral("Setup saved to %1 (%2 bytes)").arg(out).arg(QFileInfo(out).size()));
    return code;
}

const CliRegistration reg{{
    QStringLiteral("fetch-setup"),
    kSynopsis + QStringLiteral("\n  ") + kFleetSynopsis,
    QStringLiteral("usage: stepvane-cli %1\n"
                   "       stepvane-cli %2\n\n"
                   "Fetches the instrument's current setup file and writes it to OUT (replaced\n"
                   "atomically; nothing is written when the fetch fails or the instrument is in\n"
                   "fiber inspection mode). Method options as for send.\n\n"
                   "  --tcp HOST   TCP/IP over IPv4\n"
                   "  --tcp6 HOST  TCP/IP over IPv6\n"
                   "  --usb        USB (the device named by UsbVendorId / UsbProductId)\n"
                   "  --port N     TCP port (default: the stored Port, else 66)\n\n"
                   "With --to or --fleet (as for send) every instrument's setup goes to\n"
                   "DIR/<name>.sta at once (DIR is created when missing; the name made safe for a\n"
                   "file name, with --to the host and port), one line per instrument as it ends.\n"
                   "A symbolic link given as DIR, or lying in DIR where a setup goes, is refused\n"
                   "and left alone.\n\n"
                   "Exit status 0 only when every setup was received and written, 1 when any\n"
                   "failed, 2 on a usage error.")
        .arg(kSynopsis, kFleetSynopsis),
    runFetch,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
