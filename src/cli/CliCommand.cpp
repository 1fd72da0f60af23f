// Command registry and option reading of stepvane-cli.
#include "cli/CliCommand.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace stepvane::cli {

namespace {
std::vector<CliCommand> &registry()
{
    static std::vector<CliCommand> list;
    return list;
}

const CliOption *findOption(const CliOptions &options, const QString &name)
{
    for (const CliOption &o : options)
        if (o.name == name)
            return &o;
    return nullptr;
}

bool isPasswordOption(const CliOption &o)
{
    return o.value != CliValue::None && o.name.endsWith(QLatin1String("password"));
}

// More than any password anyone types; it keeps /dev/zero from filling memory.
constexpr qint64 kMostPasswordBytes = qint64(64) * 1024;
} // namespace

const std::vector<CliCommand> &commands()
{
    return registry();
}

const CliCommand *findCommand(const QString &name)
{
    for (const CliCommand &c : registry())
        if (c.name == name)
            return &c;
    return nullptr;
}

CliRegistration::CliRegistration(CliCommand command)
{
    registry().push_back(std::move(command));
}

CliOptions passwordOptions(const QString &name)
{
    return {{name, CliValue::Text}, {name + QStringLiteral("-file"), CliValue::File}};
}

CliOptions wizardOptions()
{
    return CliOptions{{QStringLiteral("--model"), CliValue::Text}} + passwordOptions();
}

CliOptions transferOptions()
{
    return {{QStringLiteral("--tcp"), CliValue::Text},
            {QStringLiteral("--tcp6"), CliValue::Text},
            {QStringLiteral("--usb")},
            {QStringLiteral("--port"), CliValue::Text},
            {QStringLiteral("--to"), CliValue::Text},
            {QStringLiteral("--fleet"), CliValue::File},
            {QStringLiteral("--jobs"), CliValue::Text},
            {QStringLiteral("--json")}};
}

CliOptions operator+(CliOptions a, const CliOptions &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

QString splitOptionValues(QStringList &args, const CliOptions &options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (a == QLatin1String("--"))
            break;
        const qsizetype eq = a.indexOf(u'=');
        if (!a.startsWith(QLatin1String("--")) || eq < 0)
            continue;
        const CliOption *option = findOption(options, a.left(eq));
        if (!option)
            continue; // the command's own reader names it as unknown
        if (option->value == CliValue::None)
            return QStringLiteral("option %1 takes no value").arg(option->name);
        args[i] = option->name;
        args.insert(++i, a.mid(eq + 1));
    }
    return QString();
}

CliArgs::CliArgs(const QStringList &args, const CliOptions &options)
{
    parse(args, options);
    if (ok())
        readPasswords(options);
}

CliArgs::CliArgs(const QStringList &args, const QStringList &valueOptions,
                 const QStringList &flagOptions)
{
    CliOptions options;
    for (const QString &name : valueOptions)
        options.push_back({name, CliValue::Text});
    for (const QString &name : flagOptions)
        options.push_back({name, CliValue::None});
    parse(args, options);
    if (ok())
        readPasswords(options);
}

void CliArgs::parse(const QStringList &given, const CliOptions &options)
{
    QStringList args = given;
    m_error = splitOptionValues(args, options);
    if (!ok())
        return;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const CliOption *option = findOption(options, a);
        if (a == QLatin1String("--")) {
            m_positionals << args.mid(i + 1);
            return;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            m_help = true;
        } else if (option && option->value != CliValue::None) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("option %1 needs a value").arg(a);
                return;
            }
            m_values.insert(a, args.at(++i));
        } else if (option) {
            m_flags << a;
        } else if (a.startsWith(QLatin1String("--"))) {
            m_error = QStringLiteral("unknown option %1").arg(a);
            return;
        } else {
            m_positionals << a;
        }
    }
}

void CliArgs::readPasswords(const CliOptions &options)
{
    bool stdinTaken = false;
    for (const CliOption &o : options) {
        const QString fileOption = o.name + QStringLiteral("-file");
        if (!isPasswordOption(o) || !findOption(options, fileOption) || !has(fileOption))
            continue;
        if (has(o.name)) {
            m_error = QStringLiteral("give %1 or %2, not both").arg(o.name, fileOption);
            return;
        }
        const QString path = m_values.value(fileOption);
        if (path == QLatin1String("-") && std::exchange(stdinTaken, true)) {
            m_error = QStringLiteral("only one option can read standard input");
            return;
        }
        QString password;
        if (!readPasswordFile(path, password, m_error))
            return;
        m_values.insert(o.name, password);
    }
    const QString plain = QStringLiteral("--password");
    const CliOption *option = findOption(options, plain);
    if (option && isPasswordOption(*option) && !has(plain) &&
        qEnvironmentVariableIsSet(kPasswordVariable))
        m_values.insert(plain, qEnvironmentVariable(kPasswordVariable));
}

bool CliArgs::intValue(const QString &option, int &out)
{
    if (!m_values.contains(option))
        return true;
    bool ok = false;
    const int v = m_values.value(option).toInt(&ok);
    if (!ok) {
        m_error = QStringLiteral("option %1 needs a whole number").arg(option);
        return false;
    }
    out = v;
    return true;
}

bool readPasswordFile(const QString &path, QString &password, QString &error)
{
    const bool standardInput = path == QLatin1String("-");
    const QString shown = standardInput ? QStringLiteral("standard input") : path;
    QFile file(standardInput ? QString() : path);
    // A folder opens for reading on Linux and then fails every read.
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly)
                                      : !QFileInfo(path).isDir() && file.open(QIODevice::ReadOnly);
    if (!opened) {
        error = QStringLiteral("%1: the password cannot be read (%2)")
                    .arg(shown,
                         QFileInfo(path).isDir() ? QStringLiteral("a folder") : file.errorString());
        return false;
    }
    // A pipe hands its content over in pieces.
    QByteArray bytes;
    while (bytes.size() <= kMostPasswordBytes) {
        const QByteArray piece = file.read(kMostPasswordBytes + 1 - bytes.size());
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        error =
            QStringLiteral("%1: the password cannot be read (%2)").arg(shown, file.errorString());
        return false;
    }
    if (bytes.size() > kMostPasswordBytes) {
        error = QStringLiteral("%1: too long for a password").arg(shown);
        return false;
    }
    // What echo and editors add at the end is not part of the password.
    if (bytes.endsWith('\n'))
        bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
    password = QString::fromUtf8(bytes);
    return true;
}

void printError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stderr);
}

void printOut(const QString &text)
{
    printOutUtf8(text.toUtf8());
}

void printOutUtf8(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', stdout);
}

int finishOutput(int code)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return code;
    const int why = errno;
    printError(QStringLiteral("stepvane-cli: the output could not be written%1")
                   .arg(why ? QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(why))
                            : QString()));
    return code == kExitOk ? kExitFailure : code;
}

int usageError(const QString &synopsis, const QString &error)
{
    printError(QStringLiteral("stepvane-cli: %1").arg(error));
    printError(QStringLiteral("usage: stepvane-cli %1").arg(synopsis));
    return kExitUsage;
}

} // namespace stepvane::cli
