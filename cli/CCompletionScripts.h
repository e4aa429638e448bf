#pragma once

#include <QByteArray>

// The shell completion scripts of brimvale-cli, written from its option
// table (CliOptions) so that they never fall behind the parser: commands,
// each command's options, the words of an option with choices, folders for
// a drive and file names for lists, archives and --save.
class CCompletionScripts
{
public:
    // For /usr/share/bash-completion/completions/brimvale-cli.
    static QByteArray Bash();
    // For /usr/share/zsh/vendor-completions/_brimvale-cli.
    static QByteArray Zsh();
    // For /usr/share/fish/vendor_completions.d/brimvale-cli.fish.
    static QByteArray Fish();
};
