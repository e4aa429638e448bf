// Writes brimvale-cli's shell completion scripts into the folder given,
// at build time, from the same option table the program parses with.
#include "cli/CCompletionScripts.h"

#include <cstdio>
#include <string>

namespace {

bool Write(const std::string &path, const QByteArray &text)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(text.constData(), 1, std::size_t(text.size()), file) == std::size_t(text.size());
    return std::fclose(file) == 0 && ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder(argv[1]);
    if (!Write(folder + "/brimvale-cli", CCompletionScripts::Bash()) || !Write(folder + "/_brimvale-cli", CCompletionScripts::Zsh())
        || !Write(folder + "/brimvale-cli.fish", CCompletionScripts::Fish())) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
