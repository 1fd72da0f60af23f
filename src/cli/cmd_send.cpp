// stepvane-cli send: sends a wizard file to the instrument (or stepvane-sim).
#include "cli/CliCommand.h"
#include "cli/TransferConsole.h"

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("send FILE [--tcp HOST | --tcp6 HOST | --usb] [--port N]");

int runSend(const QStringList &argv)
{
    QString file;
    CommSettings settings;
    if (const int stop =
            readTransferOptions(argv, kSynopsis, QStringLiteral("FILE"), file, settings);
        stop != kContinue)
        return stop;
    return runConsoleTransfer(settings,
                              [&file](TransferWorkflow &wf) { return wf.sendFile(file); });
}

const CliRegistration reg{{
    QStringLiteral("send"),
    kSynopsis,
    QStringLiteral(
        "usage: stepvane-cli %1\n\n"
        "Sends FILE (a .wzd wizard) to the instrument: connects, announces the file name,\n"
        "then sends the content in numbered pieces 20 ms apart, as \"Send to EQP\" does.\n"
        "Without a method option the connection settings of the editor are used\n"
        "(method, addresses, and the Port, UsbVendorId and UsbProductId values).\n\n"
        "  --tcp HOST   TCP/IP over IPv4\n"
        "  --tcp6 HOST  TCP/IP over IPv6\n"
        "  --usb        USB (the device named by UsbVendorId / UsbProductId)\n"
        "  --port N     TCP port (default: the stored Port, else 66)\n\n"
        "A progress bar is drawn on stderr when it is a terminal; Ctrl-C cancels.\n"
        "Exit status 0 only when every frame of the file was written.")
        .arg(kSynopsis),
    runSend,
}};

} // namespace
} // namespace stepvane::cli
