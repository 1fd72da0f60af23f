// Console front end of the fleet transfers.
#include "cli/FleetConsole.h"

#include "cli/CliCommand.h"
#include "comm/fleet/FleetTransfer.h"
#include "common/NumberText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <csignal>

namespace stepvane::cli {

namespace {

std::atomic<FleetTransfer *> g_fleet{nullptr};

void onInterrupt(int)
{
    if (FleetTransfer *fleet = g_fleet.load())
        fleet->requestCancel();
}

QString endedLine(const FleetInstrument &in, const FleetOutcome &o)
{
    QString line = QStringLiteral("%1 %2").arg(fleetStateText(o.state), in.name);
    if (in.name != in.where()) // --to names an instrument by its address already
        line += QStringLiteral(" (%1)").arg(in.where());
    if (o.state == FleetState::Done)
        line += QStringLiteral(": %1 bytes in %2 s").arg(o.bytes).arg(formatDecimal(o.seconds, 1));
    if (!o.savedPath.isEmpty())
        line += QStringLiteral(" -> %1").arg(o.savedPath);
    if (o.state != FleetState::Done && !o.message.isEmpty())
        line += QStringLiteral(": %1").arg(o.message);
    return line;
}

QJsonObject endedJson(const FleetInstrument &in, const FleetOutcome &o, const QString &sha)
{
    QJsonObject object{{QStringLiteral("instrument"), in.name},
                       {QStringLiteral("address"), in.where()},
                       {QStringLiteral("result"), fleetStateText(o.state)},
                       {QStringLiteral("message"), o.message},
                       {QStringLiteral("bytes"), double(o.bytes)},
                       {QStringLiteral("seconds"), o.seconds},
                       {QStringLiteral("time"), o.finished.toString(Qt::ISODate)}};
    if (!sha.isEmpty())
        object.insert(QStringLiteral("file_sha256"), sha);
    if (!o.savedPath.isEmpty())
        object.insert(QStringLiteral("saved"), o.savedPath);
    return object;
}

} // namespace

bool wantsFleet(const QStringList &argv)
{
    return argv.contains(QLatin1String("--to")) || argv.contains(QLatin1String("--fleet"));
}

QString parseTarget(const QString &text, int defaultPort, FleetInstrument &out)
{
    out = FleetInstrument();
    QString host = text.trimmed();
    QString port;
    if (host.startsWith(u'[')) {
        const qsizetype close = host.indexOf(u']');
        if (close < 0)
            return QStringLiteral("--to %1: the closing ] is missing").arg(text);
        const QString rest = host.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return QStringLiteral("--to %1: write [ADDRESS]:PORT").arg(text);
        port = rest.mid(1);
        host = host.mid(1, close - 1);
        out.method = kMethodIPv6;
        if (!rest.isEmpty() && port.isEmpty())
            return QStringLiteral("--to %1: the port is missing after the colon").arg(text);
    } else {
        const qsizetype colon = host.indexOf(u':');
        if (colon >= 0 && host.indexOf(u':', colon + 1) >= 0)
            return QStringLiteral("--to %1: write IPv6 addresses in brackets, as [::1]:6666")
                .arg(text);
        if (colon >= 0) {
            port = host.mid(colon + 1);
            host.truncate(colon);
            if (port.isEmpty())
                return QStringLiteral("--to %1: the port is missing after the colon").arg(text);
        }
        out.method = kMethodIPv4;
    }
    out.address = host;
    out.port = defaultPort;
    if (!port.isEmpty()) {
        bool ok = false;
        out.port = port.toInt(&ok);
        if (!ok)
            out.port = 0;
    }
    out.name = out.where();
    if (const QString problem = fleetEntryProblem(out); !problem.isEmpty())
        return QStringLiteral("--to %1: %2").arg(text, problem);
    return QString();
}

int readFleetArgs(const QStringList &argv, const QString &synopsis, FleetArgs &out)
{
    QStringList targets;
    QString fleetFile;
    QStringList positionals;
    for (qsizetype i = 0; i < argv.size(); ++i) {
        const QString &a = argv.at(i);
        const bool valued = a == QLatin1String("--to") || a == QLatin1String("--fleet") ||
                            a == QLatin1String("--jobs");
        if (valued && i + 1 >= argv.size())
            return usageError(synopsis, QStringLiteral("option %1 needs a value").arg(a));
        if (a == QLatin1String("--to")) {
            targets << argv.at(++i);
        } else if (a == QLatin1String("--fleet")) {
            if (!fleetFile.isEmpty())
                return usageError(synopsis, QStringLiteral("give --fleet once"));
            fleetFile = argv.at(++i);
        } else if (a == QLatin1String("--jobs")) {
            bool ok = false;
            out.jobs = argv.at(++i).toInt(&ok);
            if (!ok || out.jobs < 1 || out.jobs > kMaxFleetSize)
                return usageError(synopsis,
                                  QStringLiteral("--jobs needs 1..%1").arg(kMaxFleetSize));
        } else if (a == QLatin1String("--json")) {
            out.json = true;
        } else if (a == QLatin1String("--no-check")) {
            out.noCheck = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            const bool single = a == QLatin1String("--tcp") || a == QLatin1String("--tcp6") ||
                                a == QLatin1String("--usb") || a == QLatin1String("--port");
            return usageError(synopsis, single ? QStringLiteral("%1 does not go with --to or "
                                                                "--fleet")
                                                     .arg(a)
                                               : QStringLiteral("unknown option %1").arg(a));
        } else {
            positionals << a;
        }
    }
    if (positionals.size() != 1)
        return usageError(synopsis,
                          QStringLiteral("expected one %1").arg(synopsis.section(u' ', 1, 1)));
    if (!targets.isEmpty() && !fleetFile.isEmpty())
        return usageError(synopsis, QStringLiteral("choose --to or --fleet"));
    out.positional = positionals.first();
    if (!fleetFile.isEmpty()) {
        const FleetCsvResult read = readFleetCsv(fleetFile);
        if (!read.ok()) {
            printError(read.line > 0 ? QStringLiteral("%1: %2").arg(fleetFile, read.message())
                                     : read.message());
            return kExitFailure;
        }
        if (read.list.empty()) {
            printError(QStringLiteral("%1: the fleet holds no instrument").arg(fleetFile));
            return kExitFailure;
        }
        out.list = read.list;
        return kContinue;
    }
    const int defaultPort = CommSettings::load().port;
    for (const QString &t : targets) {
        FleetInstrument in;
        if (const QString error = parseTarget(t, defaultPort, in); !error.isEmpty())
            return usageError(synopsis, error);
        if (!fleetConflict(out.list, in).isEmpty())
            return usageError(synopsis, QStringLiteral("%1 is given twice").arg(in.where()));
        out.list.push_back(in);
    }
    return kContinue;
}

int runFleetConsole(FleetTransfer &transfer, bool json, const QString &fileName,
                    const QByteArray &content, const OutputFolder *folder)
{
    const bool fetching = fileName.isEmpty();
    const QString sha = fetching ? QString() : sha256Hex(content);
    const FleetList &list = transfer.targets();
    transfer.setEndedCallback([&](int index, const FleetOutcome &o) {
        const FleetInstrument &in = list[size_t(index)];
        printOut(json ? QString::fromUtf8(
                            QJsonDocument(endedJson(in, o, sha)).toJson(QJsonDocument::Compact))
                      : endedLine(in, o));
        std::fflush(stdout);
    });
    g_fleet = &transfer;
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    const bool all = fetching ? transfer.fetch(*folder) : transfer.send(fileName, content);
    sigaction(SIGINT, &previous, nullptr);
    g_fleet = nullptr;

    int counts[3] = {0, 0, 0}; // done, failed, cancelled
    for (const FleetOutcome &o : transfer.snapshot())
        ++counts[o.state == FleetState::Done ? 0 : o.state == FleetState::Failed ? 1 : 2];
    if (json) {
        printOut(QString::fromUtf8(
            QJsonDocument(QJsonObject{{QStringLiteral("instruments"), int(list.size())},
                                      {QStringLiteral("done"), counts[0]},
                                      {QStringLiteral("failed"), counts[1]},
                                      {QStringLiteral("cancelled"), counts[2]}})
                .toJson(QJsonDocument::Compact)));
    } else {
        QString closing = QStringLiteral("%1 instrument%2: %3 done, %4 failed")
                              .arg(list.size())
                              .arg(list.size() == 1 ? QString() : QStringLiteral("s"))
                              .arg(counts[0])
                              .arg(counts[1]);
        if (counts[2] > 0)
            closing += QStringLiteral(", %1 cancelled").arg(counts[2]);
        printOut(closing);
    }
    return all ? kExitOk : kExitFailure;
}

} // namespace stepvane::cli
