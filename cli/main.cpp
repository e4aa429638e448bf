#include "cli/CCliAction.h"
#include "cli/CCliScan.h"
#include "cli/CCommandLine.h"
#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "res/ResourceIds.h"

#include <QList>
#include <cstdio>

namespace {

constexpr int kExitUsage = 2;

void PrintOut(const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    // Arguments stay raw bytes: a drive or list path need not be valid UTF-8.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));

    CliRequest request;
    QString error;
    if (!CCommandLine::Parse(args, request, error)) {
        PrintError(error);
        PrintError(CliText(IDS_CLI_TRY_HELP));
        return kExitUsage;
    }
    switch (request.command) {
    case CliRequest::Help:
        PrintOut(CliHelpText());
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CliRequest::Version:
        PrintOut(CliText(IDS_CLI_VERSION, {QStringLiteral(BV_VERSION)}));
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CliRequest::Scan:
        return CCliScan(request).Run();
    case CliRequest::Delete:
    case CliRequest::Move:
    case CliRequest::Zip:
        return CCliAction(request).Run();
    case CliRequest::None:
        break;
    }
    return kExitUsage;
}
