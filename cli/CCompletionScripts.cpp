#include "cli/CCompletionScripts.h"

#include "cli/CliOptions.h"

#include <QList>

namespace {

const char kGenerated[] = "generated from brimvale-cli's option table; do not edit";

// Every spelling of the options that apply to `bit`, space-separated.
QByteArray OptionWords(unsigned bit)
{
    QList<QByteArray> words;
    for (const CliOption &option : CliOptions()) {
        if (!(option.commands & bit))
            continue;
        if (option.shortName)
            words << QByteArray("-") + option.shortName;
        words << option.name;
    }
    return words.join(' ');
}

QByteArray CommandWords()
{
    QList<QByteArray> words;
    for (const CliCommand &command : CliCommands())
        words << command.name;
    return words.join(' ');
}

// Text inside single quotes of any of the three shells.
QByteArray SingleQuoted(const QByteArray &text)
{
    return QByteArray(text).replace('\'', "'\\''");
}

// An option's help inside zsh's [...] of _arguments.
QByteArray ZshHelp(const char *help)
{
    QByteArray text(help);
    for (const char special : {'\\', '[', ']', ':'})
        text.replace(special, QByteArray("\\") + special);
    return SingleQuoted(text);
}

QByteArray ZshOperand(char kind)
{
    return kind == 'd' ? "_files -/" : "_files";
}

} // namespace

QByteArray CCompletionScripts::Bash()
{
    QByteArray s = QByteArray("# bash completion for brimvale-cli, ") + kGenerated + "\n";
    s += "_brimvale_cli()\n{\n";
    s += "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n";
    s += "    local command='' operands=0 i\n";
    s += "    COMPREPLY=()\n";
    s += "    for ((i = 1; i < COMP_CWORD; i++)); do\n";
    s += "        case ${COMP_WORDS[i]} in\n";
    s += "            " + CommandWords().replace(' ', '|') + ") [[ -z $command ]] && command=${COMP_WORDS[i]} ;;\n";
    s += "            -*) ;;\n";
    s += "            *) [[ -n $command ]] && operands=$((operands + 1)) ;;\n";
    s += "        esac\n";
    s += "    done\n";
    s += "    case $prev in\n";
    for (const CliOption &option : CliOptions()) {
        switch (option.value) {
        case CliValue::Choice:
        case CliValue::Range:
            s += QByteArray("        ") + option.name + ") mapfile -t COMPREPLY < <(compgen -W '" + option.choices
                 + "' -- \"$cur\"); return ;;\n";
            break;
        case CliValue::File:
            s += QByteArray("        ") + option.name + ") mapfile -t COMPREPLY < <(compgen -f -- \"$cur\"); return ;;\n";
            break;
        case CliValue::Pattern:
            s += QByteArray("        ") + option.name + ") return ;;\n";
            break;
        case CliValue::None:
            break;
        }
    }
    s += "    esac\n";
    s += "    if [[ -z $command && $cur == -* ]]; then\n";
    s += "        mapfile -t COMPREPLY < <(compgen -W '" + OptionWords(kOnStart) + "' -- \"$cur\")\n";
    s += "        return\n";
    s += "    elif [[ -z $command ]]; then\n";
    s += "        mapfile -t COMPREPLY < <(compgen -W '" + CommandWords() + "' -- \"$cur\")\n";
    s += "        return\n";
    s += "    fi\n";
    s += "    if [[ $cur == -* ]]; then\n";
    s += "        case $command in\n";
    for (const CliCommand &command : CliCommands())
        s += QByteArray("            ") + command.name + ") mapfile -t COMPREPLY < <(compgen -W '" + OptionWords(command.bit)
             + "' -- \"$cur\") ;;\n";
    s += "        esac\n";
    s += "        return\n";
    s += "    fi\n";
    s += "    case $command:$operands in\n";
    for (const CliCommand &command : CliCommands()) {
        for (int i = 0; command.kinds[i]; ++i)
            s += QByteArray("        ") + command.name + ":" + QByteArray::number(i) + ") mapfile -t COMPREPLY < <(compgen "
                 + (command.kinds[i] == 'd' ? "-d" : "-f") + " -- \"$cur\") ;;\n";
    }
    s += "    esac\n";
    s += "}\n";
    s += "complete -o filenames -F _brimvale_cli brimvale-cli\n";
    return s;
}

QByteArray CCompletionScripts::Zsh()
{
    QByteArray s = "#compdef brimvale-cli\n";
    s += QByteArray("# zsh completion for brimvale-cli, ") + kGenerated + "\n\n";
    s += "_brimvale-cli() {\n";
    s += "  local curcontext=$curcontext state line\n";
    s += "  local -a commands\n";
    s += "  commands=(\n";
    for (const CliCommand &command : CliCommands())
        s += QByteArray("    '") + command.name + ":" + SingleQuoted(command.help) + "'\n";
    s += "  )\n";
    s += "  _arguments -C \\\n";
    for (const CliOption &option : CliOptions()) {
        if (!(option.commands & kOnStart))
            continue;
        s += QByteArray("    '(- *)'{-") + option.shortName + "," + option.name + "}'[" + ZshHelp(option.help) + "]' \\\n";
    }
    s += "    '1: :->command' \\\n";
    s += "    '*:: :->arguments'\n";
    s += "  case $state in\n";
    s += "    command) _describe -t commands 'brimvale-cli command' commands ;;\n";
    s += "    arguments)\n";
    s += "      case $words[1] in\n";
    for (const CliCommand &command : CliCommands()) {
        s += QByteArray("        ") + command.name + ") _arguments \\\n";
        for (const CliOption &option : CliOptions()) {
            if (!(option.commands & command.bit))
                continue;
            const bool repeatable = option.value == CliValue::Pattern;
            QByteArray argSpec;
            if (option.shortName) {
                argSpec = QByteArray("'(-") + option.shortName + " " + option.name + ")'{-" + option.shortName + ","
                       + option.name + "}'";
            } else {
                argSpec = QByteArray("'") + (repeatable ? "*" : "") + option.name;
            }
            argSpec += "[" + ZshHelp(option.help) + "]";
            switch (option.value) {
            case CliValue::Choice:
            case CliValue::Range:
                argSpec += QByteArray(":") + (option.argument ? QByteArray(option.argument).split(' ').first().replace('|', '/') : "")
                        + ":(" + option.choices + ")";
                break;
            case CliValue::File:
                argSpec += QByteArray(":") + option.argument + ":_files";
                break;
            case CliValue::Pattern:
                argSpec += QByteArray(":") + option.argument + ": ";
                break;
            case CliValue::None:
                break;
            }
            s += "            " + argSpec + "' \\\n";
        }
        const QList<QByteArray> operands = QByteArray(command.operands).split(' ');
        for (int i = 0; command.kinds[i]; ++i)
            s += QByteArray("            '") + QByteArray::number(i + 1) + ":" + operands.value(i) + ":"
                 + ZshOperand(command.kinds[i]) + "'" + (command.kinds[i + 1] ? " \\\n" : " ;;\n");
        if (!command.kinds[0])
            s += "            ;;\n";
    }
    s += "      esac\n";
    s += "      ;;\n";
    s += "  esac\n";
    s += "}\n\n";
    s += "_brimvale-cli \"$@\"\n";
    return s;
}

QByteArray CCompletionScripts::Fish()
{
    QByteArray s = QByteArray("# fish completion for brimvale-cli, ") + kGenerated + "\n";
    s += "complete -c brimvale-cli -f\n";
    for (const CliCommand &command : CliCommands())
        s += QByteArray("complete -c brimvale-cli -n __fish_use_subcommand -a ") + command.name + " -d '"
             + SingleQuoted(command.help) + "'\n";
    for (const CliOption &option : CliOptions()) {
        QList<QByteArray> users;
        if (option.commands & kOnStart) {
            users << "__fish_use_subcommand";
        }
        QList<QByteArray> names;
        for (const CliCommand &command : CliCommands()) {
            if (option.commands & command.bit)
                names << command.name;
        }
        if (!names.isEmpty())
            users << "'__fish_seen_subcommand_from " + names.join(' ') + "'";
        for (const QByteArray &condition : users) {
            QByteArray line = "complete -c brimvale-cli -n " + condition;
            if (option.shortName)
                line += QByteArray(" -s ") + option.shortName;
            line += QByteArray(" -l ") + (option.name + 2);
            switch (option.value) {
            case CliValue::Choice:
            case CliValue::Range:
                line += QByteArray(" -x -a '") + option.choices + "'";
                break;
            case CliValue::File:
                line += " -r -F";
                break;
            case CliValue::Pattern:
                line += " -x";
                break;
            case CliValue::None:
                break;
            }
            s += line + " -d '" + SingleQuoted(option.help) + "'\n";
        }
    }
    // Operands: a folder for scan, file names for the actions.
    for (const CliCommand &command : CliCommands()) {
        if (command.kinds[0])
            s += QByteArray("complete -c brimvale-cli -n '__fish_seen_subcommand_from ") + command.name + "' "
                 + (command.kinds[0] == 'd' ? "-x -a '(__fish_complete_directories)'" : "-F") + "\n";
    }
    return s;
}
