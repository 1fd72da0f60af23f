// The text front end of the transfer workflows, for stepvane-cli: method
// options over the stored settings, a progress bar on stderr when it is a
// terminal, the workflow's messages as lines, Ctrl-C as a cancel.
#pragma once

#include "comm/CommSettings.h"
#include "comm/TransferWorkflow.h"

#include <QString>

#include <functional>

namespace stepvane {

struct MethodOptions {
    QString tcpHost;  // --tcp HOST
    QString tcp6Host; // --tcp6 HOST
    bool usb = false; // --usb
    int port = 0;     // --port N; 0 keeps the stored port
};

// Applies the options to settings; an empty text is fine, otherwise the
// reason the options cannot be used together.
QString applyMethodOptions(const MethodOptions &options, CommSettings &settings);

// Runs one operation on a fresh workflow with the settings and prints its
// messages: on stdout when the transfer completed, on stderr otherwise.
// Returns 0 only when the operation reported Completed, else 1.
int runConsoleTransfer(const CommSettings &settings,
                       const std::function<TransferStatus(TransferWorkflow &)> &operation);

namespace cli {
class CliArgs;
// The argument list of send and fetch-setup: one positional (named `what` in
// errors) and the method options, applied over the stored settings. Returns
// the exit code to stop with, or kContinue.
int readTransferOptions(const QStringList &argv, const QString &synopsis, const QString &what,
                        QString &positional, CommSettings &settings);
} // namespace cli

} // namespace stepvane
