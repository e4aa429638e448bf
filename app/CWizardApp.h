#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <vector>

class CFileScan;
class CWizard;
class CWizardPage;
class QWidget;

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
        // Opens the help file at a full path; the desktop's "open" when not set.
        std::function<bool(const QString &path)> openHelp;
        // Folders searched for the help file; when empty, the current one,
        // the program's own and the installed one.
        QStringList helpFolders;
        // Opens the About box's link; the desktop or the browser when not set.
        std::function<int(const QString &address)> openLink;
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

    // Routes the sheet's About and Help to this application object.
    void ConnectSheet(CWizard &sheet);
    // The About box, modal over `parent`.
    void OnAppAbout(QWidget *parent);
    // The help file, or the message that it cannot be shown.
    void OnHelp(QWidget *owner);

private:
    void ShowSplashAndWait();

    Options m_options;
};
