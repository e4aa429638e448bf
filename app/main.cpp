#include "app/CWizardApp.h"
#include "res/Bitmaps.h"
#include "res/CTranslationLoader.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brimvale"));
    QApplication::setWindowIcon(LoadProgramIcon());
    CTranslationLoader::Install();
    CWizardApp wizardApp;
    wizardApp.InitInstance();
    return 0;
}
