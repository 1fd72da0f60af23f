// stepvane-cli's command registry. Each command lives in its own cmd_*.cpp file
// and registers itself with a static CliRegistration.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace stepvane::cli {

// Exit codes shared by every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Returned by option readers when the command goes on.
constexpr int kContinue = -1;

struct CliCommand {
    QString name;
    QString synopsis; // one line: "info FILE [--model N] [--password PW]"
    QString help;     // the full --help text of the command
    std::function<int(const QStringList &args)> run; // args exclude the command name
};

const std::vector<CliCommand> &commands();

struct CliRegistration {
    explicit CliRegistration(CliCommand command);
};

// Small option reader: flags with one value ("--model 2"), plain positionals.
class CliArgs {
public:
    // valueOptions: options that take a value; flagOptions: options without one.
    CliArgs(const QStringList &args, const QStringList &valueOptions,
            const QStringList &flagOptions = {});
    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    bool wantsHelp() const { return m_help; }
    bool has(const QString &option) const
    {
        return m_values.contains(option) || m_flags.contains(option);
    }
    QString value(const QString &option) const { return m_values.value(option); }
    // Reads an integer option; false (with error set) when present but not a number.
    bool intValue(const QString &option, int &out);
    const QStringList &positionals() const { return m_positionals; }

private:
    QStringList m_positionals;
    QHash<QString, QString> m_values;
    QStringList m_flags;
    QString m_error;
    bool m_help = false;
};

// Writes a line to stderr (UTF-8).
void printError(const QString &text);
void printOut(const QString &text);
// Prints the error and "usage: stepvane-cli <synopsis>" to stderr; returns kExitUsage.
int usageError(const QString &synopsis, const QString &error);

} // namespace stepvane::cli
