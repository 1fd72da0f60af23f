// stepvane-cli: headless access to wizards, instrument files and transfers.
#include "cli/CliCommand.h"
#include "common/Leftovers.h"
#include "instrument_files/LanguageInfo.h"

#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace stepvane::cli;

namespace {

QString overview()
{
    QString text = QStringLiteral(
        "usage: stepvane-cli COMMAND [ARGS...]\n"
        "       stepvane-cli COMMAND --help\n\n"
        "Stepvane's command-line tool for wizard (.wzd) and testing unit (.tuf) files.\n\n"
        "Commands:\n");
    auto sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const CliCommand &a, const CliCommand &b) { return a.name < b.name; });
    for (const auto &c : sorted)
        text += QStringLiteral("  %1\n").arg(c.synopsis);
    text +=
        QStringLiteral("\nExit status: 0 success, 1 failure (message on stderr), 2 usage error.");
    return text;
}

} // namespace

// Qt's own chatter (a missing XDG_RUNTIME_DIR, font notes) is not ours to
// print: stderr carries only the command's messages. STEPVANE_DEBUG shows it.
void quietQtMessages(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtFatalMsg || type == QtCriticalMsg || qEnvironmentVariableIsSet("STEPVANE_DEBUG"))
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int main(int argc, char **argv)
{
    // A file-size limit is a write error like a full disk (the atomic writer
    // reports it and removes its temporary file), not the end of the program.
    std::signal(SIGXFSZ, SIG_IGN);
    qInstallMessageHandler(quietQtMessages);
    // Painting text (summary --pdf) needs a GUI application object; the
    // offscreen platform keeps the tool usable without a display. Every
    // other command makes do with a core one, which leaves no runtime folder
    // behind in the temporary folder.
    const bool paints = argc > 1 && std::strcmp(argv[1], "summary") == 0 &&
                        std::any_of(argv + 2, argv + argc,
                                    [](const char *a) { return std::strncmp(a, "--pdf", 5) == 0; });
    // Without XDG_RUNTIME_DIR Qt makes "runtime-USER" in the temporary
    // folder and leaves it; a locked run folder of ours goes at exit (or
    // with the next run's sweep).
    stepvane::RunFolder runtime;
    if (paints && qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.create())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    if (paints && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app = paints ? std::make_unique<QGuiApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    stepvane::sweepLeftovers();
    QStringList args = app->arguments().mid(1);
    stepvane::LoadLanguageInfo();

    if (args.isEmpty()) {
        printError(overview());
        return kExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") ||
        name == QLatin1String("help")) {
        printOut(overview());
        return kExitOk;
    }
    for (const auto &c : commands()) {
        if (c.name != name)
            continue;
        // Every command answers --help the same way, before it reads anything.
        if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
            printOut(c.help);
            return kExitOk;
        }
        return c.run(args);
    }
    printError(QStringLiteral("stepvane-cli: unknown command '%1'\n").arg(name) + overview());
    return kExitUsage;
}
