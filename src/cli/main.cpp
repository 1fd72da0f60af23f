// stepvane-cli: headless access to wizards, instrument files and transfers.
#include "cli/CliCommand.h"
#include "common/Leftovers.h"
#include "instrument_files/LanguageInfo.h"

#include <QFile>
#include <QGuiApplication>

#include <malloc.h>

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
        "       stepvane-cli help [COMMAND]\n"
        "       stepvane-cli --version\n\n"
        "Stepvane's command-line tool for wizard (.wzd) and testing unit (.tuf) files.\n"
        "Options take their value after a space or an equals sign (--model 2, --model=2). Where\n"
        "a command takes --password PW, --password-file FILE (\"-\": standard input) or the\n"
        "environment variable STEPVANE_PASSWORD keep the password out of the process list.\n\n"
        "Commands:\n");
    std::vector<const CliCommand *> sorted;
    for (const auto &c : commands())
        if (!c.hidden)
            sorted.push_back(&c);
    std::sort(sorted.begin(), sorted.end(),
              [](const CliCommand *a, const CliCommand *b) { return a->name < b->name; });
    for (const CliCommand *c : sorted)
        text += QStringLiteral("  %1\n").arg(c->synopsis);
    text +=
        QStringLiteral("\nExit status: 0 success, 1 failure (message on stderr), 2 usage error.");
    return text;
}

bool isHelpOption(const QString &a)
{
    return a == QLatin1String("--help") || a == QLatin1String("-h");
}

// help, help COMMAND
int runHelp(const QStringList &args)
{
    if (args.isEmpty()) {
        printOut(overview());
        return kExitOk;
    }
    if (args.size() > 1)
        return usageError(QStringLiteral("help [COMMAND]"), QStringLiteral("expected one COMMAND"));
    const CliCommand *command = findCommand(args.first());
    if (!command) {
        printError(QStringLiteral("stepvane-cli: unknown command '%1'\n").arg(args.first()) +
                   overview());
        return kExitUsage;
    }
    printOut(command->help);
    return kExitOk;
}

int runCommand(const CliCommand &command, QStringList args)
{
    // Every command answers --help the same way, before it reads anything.
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    const QStringList options = end < 0 ? args : args.first(end);
    if (std::any_of(options.begin(), options.end(), isHelpOption)) {
        printOut(command.help);
        return kExitOk;
    }
    if (const QString error = splitOptionValues(args, command.options); !error.isEmpty())
        return usageError(command.synopsis, error);
    return command.run(args);
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
    // A large wizard's read frees hundreds of thousands of small blocks. In
    // glibc's fast bins they wait for the next large request to sweep them
    // all together; without those bins each joins its neighbours as it is
    // freed, which costs less over a whole read (about a tenth of a command
    // on the largest wizard).
    mallopt(M_MXFAST, 0);
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
    if (isHelpOption(name))
        return finishOutput(runHelp({}));
    if (name == QLatin1String("help"))
        return finishOutput(runHelp(args));
    const CliCommand *command =
        findCommand(name == QLatin1String("--version") ? QStringLiteral("version") : name);
    if (command)
        return finishOutput(runCommand(*command, args));
    printError(QStringLiteral("stepvane-cli: unknown command '%1'\n").arg(name) + overview());
    return kExitUsage;
}
