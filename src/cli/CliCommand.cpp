// Command registry and option reading of stepvane-cli.
#include "cli/CliCommand.h"

#include <cstdio>

namespace stepvane::cli {

namespace {
std::vector<CliCommand> &registry()
{
    static std::vector<CliCommand> list;
    return list;
}
} // namespace

const std::vector<CliCommand> &commands()
{
    return registry();
}

CliRegistration::CliRegistration(CliCommand command)
{
    registry().push_back(std::move(command));
}

CliArgs::CliArgs(const QStringList &args, const QStringList &valueOptions,
                 const QStringList &flagOptions)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            m_help = true;
        } else if (valueOptions.contains(a)) {
            if (i + 1 >= args.size()) {
                m_error = QStringLiteral("option %1 needs a value").arg(a);
                return;
            }
            m_values.insert(a, args.at(++i));
        } else if (flagOptions.contains(a)) {
            m_flags << a;
        } else if (a.startsWith(QLatin1String("--"))) {
            m_error = QStringLiteral("unknown option %1").arg(a);
            return;
        } else {
            m_positionals << a;
        }
    }
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

void printError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stderr);
}

void printOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stdout);
}

int usageError(const QString &synopsis, const QString &error)
{
    printError(QStringLiteral("stepvane-cli: %1").arg(error));
    printError(QStringLiteral("usage: stepvane-cli %1").arg(synopsis));
    return kExitUsage;
}

} // namespace stepvane::cli
