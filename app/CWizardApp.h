#pragma once

#include <QObject>
#include <functional>
#include <vector>

class CFileScan;
class CWizard;
class CWizardPage;

// The program's start-up: the splash, then the criteria record, the sheet
// and its eleven pages, run until the user closes the sheet.
class CWizardApp : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        // How long the splash stays before the sheet appears; tests use 0.
        int nSplashDelay = 1500;
        bool bShowSplash = true;
        // Called with the sheet instead of running it; tests drive it there.
        std::function<void(CWizard &)> runSheet;
    };

    CWizardApp();
    explicit CWizardApp(Options options);
    ~CWizardApp() override;

    // Runs the whole program. Returns false: nothing follows the sheet.
    bool InitInstance();

    // The eleven pages in their fixed order, each given `scan`.
    static std::vector<CWizardPage *> CreatePages(CFileScan *scan);
    // A sheet with every page added, as the program builds it.
    static void AddPages(CWizard &sheet, CFileScan *scan);

private:
    void ShowSplashAndWait();

    Options m_options;
};
