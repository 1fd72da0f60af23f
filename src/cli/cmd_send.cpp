// stepvane-cli send: sends a wizard file to the instrument (or stepvane-sim),
// or to many at once.
#include "cli/CliCommand.h"
#include "cli/FleetConsole.h"
#include "cli/SendCheckConsole.h"
#include "cli/TransferConsole.h"
#include "comm/CDevComm.h"
#include "comm/fleet/FleetTransfer.h"
#include "common/FileKind.h"

#include <QFile>
#include <QFileInfo>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("send FILE [--tcp HOST | --tcp6 HOST | --usb] [--port N] [--no-check]");
const QString kFleetSynopsis = QStringLiteral(
    "send FILE --to HOST[:PORT] [--to ...] | --fleet FLEET.csv [--jobs N] [--json] [--no-check]");

const CliOptions kOptions = transferOptions() + CliOptions{{QStringLiteral("--no-check")}};

// The transfer's own words, with the file and, where it is plain, why.
int readFileError(const QString &path)
{
    const QString why = notARegularFile(path);
    printError(why.isEmpty() ? QStringLiteral("%1: Read file Error").arg(path)
                             : QStringLiteral("%1: Read file Error (%2)").arg(path, why));
    return kExitFailure;
}

int runFleetSend(const QStringList &argv)
{
    FleetArgs args;
    if (const int stop = readFleetArgs(argv, kFleetSynopsis, args); stop != kContinue)
        return stop;
    if (!args.noCheck)
        if (const int stop = checkBeforeSend(args.positional); stop != kContinue)
            return stop;
    // The file is read once; every instrument's transfer shares these bytes.
    QFile file(args.positional);
    QByteArray content;
    if (QFileInfo(args.positional).isFile() && file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (!file.isOpen() || content.size() != file.size())
        return readFileError(args.positional);
    FleetTransfer transfer(args.list, CommSettings::load());
    transfer.setJobs(args.jobs);
    const QString name = CDevComm::FileNameOf(QFileInfo(args.positional).absoluteFilePath());
    return runFleetConsole(transfer, args.json, name, content, nullptr);
}

int runSend(const QStringList &argv)
{
    if (wantsFleet(argv))
        return runFleetSend(argv);
    QStringList rest = argv;
    const bool noCheck = rest.removeAll(QStringLiteral("--no-check")) > 0;
    QString file;
    CommSettings settings;
    if (const int stop =
            readTransferOptions(rest, kSynopsis, QStringLiteral("FILE"), file, settings);
        stop != kContinue)
        return stop;
    // Said here, where the file can be named; nothing is sent.
    if (!notARegularFile(file).isEmpty() || !QFileInfo(file).isReadable())
        return readFileError(file);
    if (!noCheck)
        if (const int stop = checkBeforeSend(file); stop != kContinue)
            return stop;
    return runConsoleTransfer(settings,
                              [&file](TransferWorkflow &wf) { return wf.sendFile(file); });
}

const CliRegistration reg{{
    QStringLiteral("send"),
    kSynopsis + QStringLiteral("\n  ") + kFleetSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n"
        "       stepvane-cli %2\n\n"
        "Sends FILE (a .wzd wizard) to the instrument: connects, announces the file name,\n"
        "then sends the content in numbered pieces 20 ms apart, as \"Send to EQP\" does.\n"
        "The wizard is checked first, as the editor checks it: errors stop the send (exit 1)\n"
        "and are printed, warnings are printed and the send goes on; a file that cannot be\n"
        "read as a wizard is sent unchecked with a warning.\n"
        "Without a method option the connection settings of the editor are used\n"
        "(method, addresses, and the Port, UsbVendorId and UsbProductId values).\n\n"
        "  --tcp HOST   TCP/IP over IPv4\n"
        "  --tcp6 HOST  TCP/IP over IPv6\n"
        "  --usb        USB (the device named by UsbVendorId / UsbProductId)\n"
        "  --port N     TCP port (default: the stored Port, else 66)\n"
        "  --no-check   send without checking the wizard first\n\n"
        "To many instruments at once (each gets exactly the frames of a single send; one\n"
        "slow or failing instrument does not hold up the others):\n"
        "  --to HOST[:PORT]  an instrument over TCP; may repeat. IPv6 addresses go in\n"
        "                    brackets: [::1]:6666. Without a port: the stored Port, else 66\n"
        "  --fleet FILE      the instruments of a fleet CSV file (header line\n"
        "                    name,method,address,port; method ipv4, ipv6 or usb)\n"
        "  --jobs N          at most N transfers at once (default: all)\n"
        "  --json            one JSON object per line instead of text\n"
        "One line per instrument as it ends, then the counts.\n\n"
        "A progress bar is drawn on stderr when it is a terminal (single instrument);\n"
        "Ctrl-C cancels. Exit status 0 only when every frame of the file was written to\n"
        "every instrument, 1 when any transfer failed, 2 on a usage error.")
        .arg(kSynopsis, kFleetSynopsis),
    runSend,
    kOptions,
}};

} // namespace
} // namespace stepvane::cli
