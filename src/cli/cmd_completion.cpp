// stepvane-cli completion bash: the bash completion script, written from the
// command table that also prints the help, so the two cannot drift apart.
// The build writes it once and the install puts it where bash-completion
// looks; the command itself stays out of the overview.
#include "cli/CliCommand.h"

#include <algorithm>

namespace stepvane::cli {
namespace {

const QString kSynopsis = QStringLiteral("completion bash");

// The case arm of one command: its options, and what each option's value
// completes from (nothing for free text, files, or folders).
QString commandCase(const CliCommand &c)
{
    QStringList names, text, files, folders;
    for (const CliOption &o : c.options) {
        names << o.name;
        if (o.value == CliValue::Text)
            text << o.name;
        else if (o.value == CliValue::File)
            files << o.name;
        else if (o.value == CliValue::Folder)
            folders << o.name;
    }
    QString arm =
        QStringLiteral("        %1)\n            options='%2'\n").arg(c.name, names.join(u' '));
    if (text.isEmpty() && files.isEmpty() && folders.isEmpty())
        return arm + QStringLiteral("            ;;\n");
    arm += QStringLiteral("            case $prev in\n");
    if (!text.isEmpty())
        arm += QStringLiteral("                %1) return ;;\n").arg(text.join(u'|'));
    if (!files.isEmpty())
        arm += QStringLiteral("                %1) _stepvane_cli_files -f; return ;;\n")
                   .arg(files.join(u'|'));
    if (!folders.isEmpty())
        arm += QStringLiteral("                %1) _stepvane_cli_files -d; return ;;\n")
                   .arg(folders.join(u'|'));
    return arm + QStringLiteral("            esac ;;\n");
}

QString bashCompletion()
{
    std::vector<const CliCommand *> shown;
    for (const CliCommand &c : commands())
        if (!c.hidden)
            shown.push_back(&c);
    std::sort(shown.begin(), shown.end(),
              [](const CliCommand *a, const CliCommand *b) { return a->name < b->name; });
    QStringList names;
    QString cases;
    for (const CliCommand *c : shown) {
        names << c->name;
        cases += commandCase(*c);
    }
    return QStringLiteral(
               "# bash completion for stepvane-cli, written by `stepvane-cli completion bash`\n"
               "\n"
               "_stepvane_cli_files()\n"
               "{\n"
               "    compopt -o filenames 2>/dev/null\n"
               "    mapfile -t COMPREPLY < <(compgen \"$1\" -- \"$cur\")\n"
               "}\n"
               "\n"
               "_stepvane_cli()\n"
               "{\n"
               "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
               "    local commands='%1' options=\n"
               "    COMPREPLY=()\n"
               "    # --option=value: bash splits the word at the equals sign.\n"
               "    if [[ $prev == = && COMP_CWORD -gt 2 ]]; then\n"
               "        prev=${COMP_WORDS[COMP_CWORD-2]}\n"
               "    elif [[ $cur == = ]]; then\n"
               "        prev=${COMP_WORDS[COMP_CWORD-1]} cur=\n"
               "    fi\n"
               "    if ((COMP_CWORD == 1)); then\n"
               "        mapfile -t COMPREPLY < <(compgen -W \"$commands help --help --version\" "
               "-- \"$cur\")\n"
               "        return\n"
               "    fi\n"
               "    case ${COMP_WORDS[1]} in\n"
               "        help)\n"
               "            ((COMP_CWORD == 2)) &&\n"
               "                mapfile -t COMPREPLY < <(compgen -W \"$commands\" -- \"$cur\")\n"
               "            return ;;\n"
               "%2"
               "        *) return ;;\n"
               "    esac\n"
               "    if [[ $cur == -* ]]; then\n"
               "        mapfile -t COMPREPLY < <(compgen -W \"$options --help\" -- \"$cur\")\n"
               "    else\n"
               "        _stepvane_cli_files -f\n"
               "    fi\n"
               "}\n"
               "complete -F _stepvane_cli stepvane-cli\n")
        .arg(names.join(u' '), cases);
}

int runCompletion(const QStringList &args)
{
    if (args != QStringList{QStringLiteral("bash")})
        return usageError(kSynopsis, QStringLiteral("only bash is known"));
    printOut(bashCompletion());
    return kExitOk;
}

const CliRegistration reg{{
    QStringLiteral("completion"),
    kSynopsis,
    QStringLiteral("usage: stepvane-cli %1\n\n"
                   "Prints the bash completion of stepvane-cli's commands and options. The\n"
                   "installed programs carry it already; to try it from a build tree:\n"
                   "  source <(build/bin/stepvane-cli completion bash)")
        .arg(kSynopsis),
    runCompletion,
    {},
    true,
}};

} // namespace
} // namespace stepvane::cli
