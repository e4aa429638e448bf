#include "cli/CliOptions.h"

#include <QStringList>

namespace {

constexpr CliOption kOptions[] = {
    {"--express", 0, CliValue::None, nullptr, nullptr, kOnScan, CliSection::Criteria,
     "commonly discardable files (the default)"},
    {"--location", 0, CliValue::Pattern, "PAT", nullptr, kOnScan, CliSection::Criteria,
     "a folder on the path matches PAT"},
    {"--name", 0, CliValue::Pattern, "PAT", nullptr, kOnScan, CliSection::Criteria,
     "the name before its last dot matches PAT"},
    {"--ext", 0, CliValue::Pattern, "PAT", nullptr, kOnScan, CliSection::Criteria,
     "the name after its first dot matches PAT"},
    {"--size", 0, CliValue::Range, "less|between|larger KB [KB]", "less between larger", kOnScan,
     CliSection::Criteria, "size in thousands of bytes (KB)"},
    {"--created", 0, CliValue::Range, "older|between|recent DATE [DATE]", "older between recent", kOnScan,
     CliSection::Criteria, "creation day, DATE as YYYY-MM-DD"},
    {"--modified", 0, CliValue::Range, "older|between|recent DATE [DATE]", "older between recent", kOnScan,
     CliSection::Criteria, "last modification day, as --created"},
    {"--accessed", 0, CliValue::Range, "older|between|recent DATE [DATE]", "older between recent", kOnScan,
     CliSection::Criteria, "last access day, as --created"},
    {"--format", 0, CliValue::Choice, "lines|csv|json", "lines csv json", kOnScan, CliSection::Output,
     "lines (the default), csv or json"},
    {"--print0", '0', CliValue::None, nullptr, nullptr, kOnScan, CliSection::Output,
     "only the raw paths, each followed by a NUL byte"},
    {"--sort", 0, CliValue::Choice, "file|location|size|created|modified|accessed|reason",
     "file location size created modified accessed reason", kOnScan, CliSection::Output,
     "order of the list (default: the order of the walk)"},
    {"--reverse", 0, CliValue::None, nullptr, nullptr, kOnScan, CliSection::Output, "the sort in descending order"},
    {"--summary", 0, CliValue::None, nullptr, nullptr, kOnScan | kOnActions, CliSection::Output,
     "figures on stderr (actions: the folders removed)"},
    {"--save", 0, CliValue::File, "LIST", nullptr, kOnScan, CliSection::Output,
     "also save LIST for delete, move or zip"},
    {"--no-progress", 0, CliValue::None, nullptr, nullptr, kOnScan, CliSection::Output,
     "no progress line on a terminal"},
    {"--dry-run", 0, CliValue::None, nullptr, nullptr, kOnActions, CliSection::Action,
     "print what would be done, change nothing"},
    {"--preserve-path", 0, CliValue::None, nullptr, nullptr, kOnMove, CliSection::Action,
     "move: rebuild each file's folders below FOLDER"},
    {"--help", 'h', CliValue::None, nullptr, nullptr, kOnStart | kOnScan | kOnActions, CliSection::General,
     "show this help and exit"},
    {"--version", 'V', CliValue::None, nullptr, nullptr, kOnStart, CliSection::General, "show the version and exit"},
};

constexpr CliCommand kCommands[] = {
    {"scan", kOnScan, "DRIVE", "d", "list the files of DRIVE that meet the criteria"},
    {"delete", kOnDelete, "LIST", "f", "delete the files of a saved list"},
    {"move", kOnMove, "LIST FOLDER", "fd", "move the files of a saved list into FOLDER"},
    {"zip", kOnZip, "LIST ARCHIVE", "ff", "add the files of a saved list to ARCHIVE and remove them"},
    {"recover", kOnRecover, "", "", "put back what an interrupted action left, and nothing else"},
};

constexpr qsizetype kHelpColumn = 30;

const char kWhat[] = "Lists the files of the folder DRIVE (walked as a drive root, staying on its\n"
                     "file system) that meet the criteria, and acts on a saved list of them.";
const char kPatterns[] = "  --location, --name and --ext may be given more than once. Each Custom\n"
                         "  criterion switches Express off; all given criteria must match.\n"
                         "  PAT may hold * (any run of characters) and ? (one character); case is ignored.";
const char kNotes[] = "The default output: path, size in bytes, modification time and why the file is\n"
                      "listed, tab-separated; \\\\, \\t, \\n, \\r and \\xHH escape unusual bytes in the\n"
                      "path and the reason. A progress line is drawn only on a terminal, and not\n"
                      "with TERM=dumb.\n"
                      "\n"
                      "Every file is checked to be the one the scan saw before it is touched; a file\n"
                      "changed since, or protected, is left alone and reported on stderr.\n"
                      "\n"
                      "Every command first puts right what an interrupted action left (a file set\n"
                      "aside, a partial copy or archive); recover does only that.\n"
                      "\n"
                      "Exit status: 0 all done; 1 some files failed, some folders could not be read,\n"
                      "or the output could not be written; 2 bad usage, or a drive or list that\n"
                      "cannot be used (nothing touched).";

const char *SectionHeading(CliSection section)
{
    switch (section) {
    case CliSection::Criteria: return "Criteria (scan):";
    case CliSection::Output: return "Output (scan):";
    case CliSection::Action: return "Actions (on a LIST written by scan --save):";
    case CliSection::General: break;
    }
    return "General:";
}

} // namespace

std::span<const CliOption> CliOptions()
{
    return kOptions;
}

std::span<const CliCommand> CliCommands()
{
    return kCommands;
}

const CliOption *FindCliOption(const QByteArray &word)
{
    for (const CliOption &option : kOptions) {
        if (word == option.name || (option.shortName && word.size() == 2 && word[0] == '-' && word[1] == option.shortName))
            return &option;
    }
    return nullptr;
}

QByteArray CliOptionNames(const CliOption &option)
{
    QByteArray names;
    if (option.shortName)
        names = QByteArray("-") + option.shortName + ", ";
    return names + option.name;
}

QString CliHelpText()
{
    QStringList lines{QStringLiteral("Usage:")};
    for (const CliCommand &command : kCommands) {
        QString line = QStringLiteral("  brimvale-cli ") + QLatin1String(command.name);
        if (command.bit == kOnScan) {
            line += QStringLiteral(" [CRITERIA] [OUTPUT]");
        } else {
            for (const CliOption &option : kOptions) {
                if ((option.commands & command.bit) && option.section == CliSection::Action)
                    line += QStringLiteral(" [%1]").arg(QLatin1String(option.name));
            }
        }
        if (*command.operands)
            line += QLatin1Char(' ') + QLatin1String(command.operands);
        lines << line;
    }
    lines << QStringLiteral("  brimvale-cli -h | --help | -V | --version") << QString() << QLatin1String(kWhat);
    for (CliSection section : {CliSection::Criteria, CliSection::Output, CliSection::Action, CliSection::General}) {
        lines << QString() << QLatin1String(SectionHeading(section));
        for (const CliOption &option : kOptions) {
            if (option.section != section)
                continue;
            QString entry = QStringLiteral("  ") + (option.shortName ? QString() : QStringLiteral("    "))
                            + QLatin1String(CliOptionNames(option));
            if (option.argument)
                entry += QLatin1Char(' ') + QLatin1String(option.argument);
            if (entry.size() >= kHelpColumn) {
                lines << entry;
                entry.clear();
            }
            lines << entry.leftJustified(kHelpColumn, QLatin1Char(' ')) + QLatin1String(option.help);
        }
        if (section == CliSection::Criteria)
            lines << QLatin1String(kPatterns);
    }
    lines << QString() << QLatin1String(kNotes);
    return lines.join(QLatin1Char('\n'));
}
