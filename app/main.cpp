#include "app/CWizardApp.h"
#include "app/CWizardOptions.h"
#include "platform/CJournalRecovery.h"
#include "platform/LargeBlocks.h"
#include "res/Bitmaps.h"
#include "res/CTranslationLoader.h"

#include <QApplication>
#include <cstdio>

namespace {

bool PrintLine(std::FILE *stream, const QString &text)
{
    const QByteArray line = text.toUtf8() + '\n';
    return std::fwrite(line.constData(), 1, std::size_t(line.size()), stream) == std::size_t(line.size())
           && std::fflush(stream) == 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before anything else: a file an interrupted action set aside must not
    // stay hidden, nor a partial copy or archive stay behind.
    CJournalRecovery::Recover();
    ReturnLargeBlocksWhenFreed();

    // Judged before QApplication exists: it would open the display first.
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    const CWizardOptions options = CWizardOptions::Parse(args, [](const char *name) { return qgetenv(name); });
    switch (options.GetAction()) {
    case CWizardOptions::Action::PrintHelp:
    case CWizardOptions::Action::PrintVersion:
        return PrintLine(stdout, options.GetText()) ? 0 : 1;
    case CWizardOptions::Action::BadUsage:
    case CWizardOptions::Action::NoDisplay:
        PrintLine(stderr, options.GetText());
        return options.GetExitStatus();
    case CWizardOptions::Action::OpenWizard:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brimvale"));
    QApplication::setWindowIcon(LoadProgramIcon());
    CTranslationLoader::Install();
    CWizardApp wizardApp;
    wizardApp.InitInstance();
    return 0;
}
