#include "app/CWizardApp.h"
#include "platform/CJournalRecovery.h"
#include "res/Bitmaps.h"
#include "res/CTranslationLoader.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Before anything else: a file an interrupted action set aside must not
    // stay hidden, nor a partial copy or archive stay behind.
    CJournalRecovery::Recover();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brimvale"));
    QApplication::setWindowIcon(LoadProgramIcon());
    CTranslationLoader::Install();
    CWizardApp wizardApp;
    wizardApp.InitInstance();
    return 0;
}
