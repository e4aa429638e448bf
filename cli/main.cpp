#include "cli/CCliAction.h"
#include "cli/CCliScan.h"
#include "cli/CCommandLine.h"
#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "platform/CJournalRecovery.h"
#include "platform/LargeBlocks.h"
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

// Puts right what an interrupted action of this or another run left, and
// says what was done. False when a file could not be found again.
bool RecoverInterrupted(bool sayNothing)
{
    const CJournalRecovery::Report report = CJournalRecovery::Recover();
    const auto shown = [](const QByteArray &path) { return QString::fromUtf8(EscapeForMessage(path)); };
    if (report.restored + report.finished + report.removed > 0)
        PrintError(CliText(IDS_CLI_RECOVERED, {QString::number(report.restored), QString::number(report.finished),
                                              QString::number(report.removed)}));
    for (const QByteArray &path : report.renamed)
        PrintError(CliText(IDS_CLI_RECOVERED_RENAMED, {shown(path)}));
    for (const QByteArray &path : report.left)
        PrintError(CliText(IDS_CLI_RECOVER_LEFT, {shown(path)}));
    if (sayNothing && !report.Any())
        PrintError(CliText(IDS_CLI_RECOVER_NOTHING));
    return report.left.isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    ReturnLargeBlocksWhenFreed();
    // Arguments stay raw bytes: a drive or list path need not be valid UTF-8.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));

    CliRequest request;
    QString error;
    const bool parsed = CCommandLine::Parse(args, request, error);
    // Before anything else, whatever the command: a file an interrupted
    // action set aside must not stay hidden a moment longer.
    const bool recovered = RecoverInterrupted(parsed && request.command == CliRequest::Recover);
    if (!parsed) {
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
    case CliRequest::Recover:
        return recovered ? 0 : 1;
    case CliRequest::Delete:
    case CliRequest::Move:
    case CliRequest::Zip:
        return CCliAction(request).Run();
    case CliRequest::None:
        break;
    }
    return kExitUsage;
}
