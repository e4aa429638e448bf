#pragma once

#include <QByteArray>
#include <QString>
#include <span>

// brimvale-cli's commands and options in one table: the parser looks every
// option up here, --help is written from it, the bash, zsh and fish
// completion scripts are generated from it, and a test holds the manual
// page to it. A new option is added here first.

// Where an option applies: a bit per command.
enum CliCommandBit : unsigned {
    kOnScan = 1,
    kOnDelete = 2,
    kOnMove = 4,
    kOnZip = 8,
    kOnActions = kOnDelete | kOnMove | kOnZip,
    kOnStart = 16, // before any command, alone: --help, --version
    kOnRecover = 32,
};

enum class CliValue {
    None,    // a flag
    Pattern, // PAT
    Choice,  // one word of `choices`
    Range,   // a word of `choices`, then one or two values
    File,    // a file name
};

enum class CliSection { Criteria, Output, Action, General };

struct CliOption
{
    const char *name;      // "--format"
    char shortName;        // '0' for -0; 0 for none
    CliValue value;
    const char *argument;  // as --help shows it: "PAT", "lines|csv|json", "less|between|larger KB [KB]"
    const char *choices;   // the words of a Choice or Range, space-separated
    unsigned commands;     // CliCommandBit
    CliSection section;
    const char *help;      // one line of --help
};

struct CliCommand
{
    const char *name;      // "scan"
    unsigned bit;          // its CliCommandBit
    const char *operands;  // "LIST FOLDER"
    const char *kinds;     // each operand's kind for completion: 'd' a folder, 'f' a file
    const char *help;
};

std::span<const CliOption> CliOptions();
std::span<const CliCommand> CliCommands();

// The option `word` names, long ("--print0") or short ("-0"), or nullptr.
const CliOption *FindCliOption(const QByteArray &word);
// "-0, --print0" or "--express".
QByteArray CliOptionNames(const CliOption &option);
// The whole --help text, without a final line break.
QString CliHelpText();
