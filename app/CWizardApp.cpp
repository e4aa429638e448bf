#include "app/CWizardApp.h"

#include "app/CAboutDlg.h"
#include "app/CHelpCommand.h"
#include "app/CSplashWnd.h"
#include "wizard/CWizard.h"
#include "criteria/CAccessedTimePage.h"
#include "criteria/CCreationTimePage.h"
#include "criteria/CCriteriaPage.h"
#include "criteria/CDrivePage.h"
#include "criteria/CExtensionPage.h"
#include "core/CFileScan.h"
#include "criteria/CLocationPage.h"
#include "criteria/CMethodPage.h"
#include "criteria/CModifiedTimePage.h"
#include "criteria/CNamePage.h"
#include "criteria/CSizePage.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CResultsPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>

CWizardApp::CWizardApp()
    : CWizardApp(Options())
{
}

CWizardApp::CWizardApp(Options options)
    : m_options(std::move(options))
{
}

CWizardApp::~CWizardApp() = default;

std::vector<CWizardPage *> CWizardApp::CreatePages(CFileScan *scan)
{
    std::vector<CWizardPage *> pages{
        new CMethodPage,
        new CCriteriaPage,
        new CDrivePage,
        new CLocationPage,
        new CNamePage,
        new CExtensionPage,
        new CSizePage,
        new CCreationTimePage,
        new CModifiedTimePage,
        new CAccessedTimePage,
        new CResultsPage,
    };
    for (CWizardPage *page : pages)
        page->SetScan(scan);
    return pages;
}

void CWizardApp::AddPages(CWizard &sheet, CFileScan *scan)
{
    for (CWizardPage *page : CreatePages(scan))
        sheet.AddPage(page);
}

void CWizardApp::ConnectSheet(CWizard &sheet)
{
    connect(&sheet, &CWizard::aboutRequested, this, [this, &sheet] { OnAppAbout(&sheet); });
    connect(&sheet, &CWizard::helpRequested, this, [this, &sheet] { OnHelp(&sheet); });
}

void CWizardApp::OnAppAbout(QWidget *parent)
{
    CAboutDlg dlg(parent, m_options.openLink);
    dlg.exec();
}

void CWizardApp::OnHelp(QWidget *owner)
{
    const CHelpCommand help(m_options.helpFolders.isEmpty() ? CHelpCommand::DefaultFolders() : m_options.helpFolders,
                            m_options.openHelp);
    help.Run(owner);
}

void CWizardApp::ShowSplashAndWait()
{
    if (m_options.bShowSplash) {
        auto *splash = new CSplashWnd(IDB_SPLASH, static_cast<unsigned>(qMax(0, m_options.nSplashDelay)));
        splash->ShowSplash();
    }
    // Input waits until the sheet is up (a click then removes the splash),
    // but the splash keeps being painted meanwhile.
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < m_options.nSplashDelay) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        QThread::msleep(10);
    }
}

bool CWizardApp::InitInstance()
{
    ShowSplashAndWait();

    // The record lives exactly as long as the sheet: built before it,
    // destroyed after it (and its pages) are gone.
    CFileScan scan;
    {
        CWizard sheet(LoadString(IDS_PRODUCT_NAME), nullptr, PAGE_METHOD);
        AddPages(sheet, &scan);
        ConnectSheet(sheet);
        if (m_options.runSheet)
            m_options.runSheet(sheet);
        else
            sheet.exec();
    }
    return false;
}
