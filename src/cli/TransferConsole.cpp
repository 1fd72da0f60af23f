// Console output of the transfers: one progress line redrawn with '\r' on a
// terminal, and the messages once the operation has ended.
#include "cli/TransferConsole.h"

#include "cli/CliCommand.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace stepvane {

namespace {

std::atomic<TransferWorkflow *> g_running{nullptr};

void onInterrupt(int)
{
    if (TransferWorkflow *wf = g_running.load())
        wf->cancel(); // only stores an atomic flag
}

void drawBar(int value, int maximum)
{
    constexpr int kWidth = 40;
    const int max = maximum > 0 ? maximum : 1;
    const int clamped = value < 0 ? 0 : (value > max ? max : value);
    const int filled = int(qint64(clamped) * kWidth / max);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, int(qint64(clamped) * 100 / max));
    std::fflush(stderr);
}

void printMessage(const Message &m, FILE *stream)
{
    const QByteArray text = m.text().trimmed().toUtf8();
    std::fprintf(stream, "%s\n", text.constData());
}

} // namespace

QString applyMethodOptions(const MethodOptions &options, CommSettings &settings)
{
    const int chosen = (options.tcpHost.isEmpty() ? 0 : 1) + (options.tcp6Host.isEmpty() ? 0 : 1) +
                       (options.usb ? 1 : 0);
    if (chosen > 1)
        return QStringLiteral("choose one of --tcp, --tcp6 and --usb");
    if (options.port < 0 || options.port > 65535)
        return QStringLiteral("--port needs 1..65535");
    if (!options.tcpHost.isEmpty()) {
        settings.method = kMethodIPv4;
        settings.ip = options.tcpHost;
    } else if (!options.tcp6Host.isEmpty()) {
        settings.method = kMethodIPv6;
        settings.ipv6 = options.tcp6Host;
    } else if (options.usb) {
        settings.method = kMethodUsb;
    }
    if (options.port > 0)
        settings.port = options.port;
    return QString();
}

int runConsoleTransfer(const CommSettings &settings,
                       const std::function<TransferStatus(TransferWorkflow &)> &operation)
{
    CollectingMessageSink sink;
    TransferWorkflow workflow(&sink);
    workflow.setSettings(settings);
    const bool terminal = isatty(STDERR_FILENO) != 0;
    bool drawn = false;
    if (terminal) {
        workflow.setProgressCallback([&drawn](int value, int maximum) {
            drawBar(value, maximum);
            drawn = true;
        });
    }
    g_running = &workflow;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);

    const TransferStatus status = operation(workflow);

    sigaction(SIGINT, &previous, nullptr);
    g_running = nullptr;
    if (drawn)
        std::fputc('\n', stderr);
    FILE *stream = status == TransferStatus::Completed ? stdout : stderr;
    for (const Message &m : sink.messages)
        printMessage(m, stream);
    if (status == TransferStatus::Cancelled)
        std::fprintf(stderr, "cancelled\n");
    return status == TransferStatus::Completed ? 0 : 1;
}

namespace cli {

int readTransferOptions(const QStringList &argv, const QString &synopsis, const QString &what,
                        QString &positional, CommSettings &settings)
{
    CliArgs args(argv,
                 {QStringLiteral("--tcp"), QStringLiteral("--tcp6"), QStringLiteral("--port")},
                 {QStringLiteral("--usb")});
    MethodOptions options;
    if (!args.ok() || !args.intValue(QStringLiteral("--port"), options.port))
        return usageError(synopsis, args.error());
    if (args.positionals().size() != 1)
        return usageError(synopsis, QStringLiteral("expected one %1").arg(what));
    if (args.has(QStringLiteral("--port")) && options.port < 1)
        return usageError(synopsis, QStringLiteral("--port needs 1..65535"));
    options.tcpHost = args.value(QStringLiteral("--tcp"));
    options.tcp6Host = args.value(QStringLiteral("--tcp6"));
    options.usb = args.has(QStringLiteral("--usb"));
    settings = CommSettings::load();
    const QString problem = applyMethodOptions(options, settings);
    if (!problem.isEmpty())
        return usageError(synopsis, problem);
    positional = args.positionals().first();
    return kContinue;
}

} // namespace cli
} // namespace stepvane
