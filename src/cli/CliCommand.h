// stepvane-cli's command registry. Each command lives in its own cmd_*.cpp file
// and registers itself with a static CliRegistration; the overview, `help`
// and the bash completion are all drawn from this one table.
#pragma once

#include <QByteArray>
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

// What an option takes: nothing (a flag), free text, or a file or folder name,
// which the shell completion offers from the file system.
enum class CliValue { None, Text, File, Folder };

struct CliOption {
    QString name; // "--model"
    CliValue value = CliValue::None;
};
using CliOptions = std::vector<CliOption>;

// `name` (a password, "PW") with its companion `name`-file (FILE, "-" for
// standard input), which keeps the password out of the process list.
CliOptions passwordOptions(const QString &name = QStringLiteral("--password"));
// FILE's --model N and --password options, as the commands that open a wizard take them.
CliOptions wizardOptions();
// The connection and fleet options send and fetch-setup share (read by
// readTransferOptions and readFleetArgs).
CliOptions transferOptions();
CliOptions operator+(CliOptions a, const CliOptions &b);
// The environment variable that stands in for --password when neither it
// nor --password-file is given.
inline constexpr const char *kPasswordVariable = "STEPVANE_PASSWORD";

struct CliCommand {
    QString name;
    QString synopsis; // one line: "info FILE [--model N] [--password PW]"
    QString help;     // the full --help text of the command
    std::function<int(const QStringList &args)> run; // args exclude the command name
    // Every option run() takes (--help aside): the completion offers exactly
    // these, and --option=value is split by it before run() sees the list.
    CliOptions options = {};
    bool hidden = false; // left out of the overview and the completion
};

const std::vector<CliCommand> &commands();
const CliCommand *findCommand(const QString &name);

struct CliRegistration {
    explicit CliRegistration(CliCommand command);
};

// "--name=value" becomes "--name" "value" for the value options named in
// options; a flag given a value is an error. Nothing after "--" is touched.
// Returns an empty text, or the error.
QString splitOptionValues(QStringList &args, const CliOptions &options);

// Small option reader: options with one value ("--model 2" or "--model=2"),
// flags, plain positionals (everything after "--" is one). A password option
// is also read from its -file companion or, for --password, from
// STEPVANE_PASSWORD.
class CliArgs {
public:
    CliArgs(const QStringList &args, const CliOptions &options);
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
    void parse(const QStringList &given, const CliOptions &options);
    void readPasswords(const CliOptions &options);

    QStringList m_positionals;
    QHash<QString, QString> m_values;
    QStringList m_flags;
    QString m_error;
    bool m_help = false;
};

// Reads a password from a file, or from standard input for "-": the whole
// content but one line break at its end. False with error set when it
// cannot be read.
bool readPasswordFile(const QString &path, QString &password, QString &error);

// Writes a line to stderr (UTF-8).
void printError(const QString &text);
void printOut(const QString &text);
// The same for text already in UTF-8 (a large dump is not converted twice).
void printOutUtf8(const QByteArray &bytes);
// code, unless what was printed did not all reach standard output (a full
// disk): then the reason on stderr and a failure, never a quiet success
// with the output cut short.
int finishOutput(int code);
// Prints the error and "usage: stepvane-cli <synopsis>" to stderr; returns kExitUsage.
int usageError(const QString &synopsis, const QString &error);

} // namespace stepvane::cli
