// stepvane-cli fetch-setup: saves the instrument's current setup file.
#include "cli/CliCommand.h"
#include "cli/TransferConsole.h"

#include <QFileInfo>

namespace stepvane::cli {
namespace {

const QString kSynopsis =
    QStringLiteral("fetch-setup OUT [--tcp HOST | --tcp6 HOST | --usb] [--port N]");

int runFetch(const QStringList &argv)
{
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
    kSynopsis,
    QStringLiteral("usage: stepvane-cli %1\n\n"
                   "Fetches the instrument's current setup file and writes it to OUT (replaced\n"
                   "atomically; nothing is written when the fetch fails or the instrument is in\n"
                   "fiber inspection mode). Method options as for send.\n\n"
                   "  --tcp HOST   TCP/IP over IPv4\n"
                   "  --tcp6 HOST  TCP/IP over IPv6\n"
                   "  --usb        USB (the device named by UsbVendorId / UsbProductId)\n"
                   "  --port N     TCP port (default: the stored Port, else 66)\n\n"
                   "Exit status 0 only when the whole setup was received and written.")
        .arg(kSynopsis),
    runFetch,
}};

} // namespace
} // namespace stepvane::cli
