#pragma once

#include "CStandInPage.h"
#include "wizard/CWizard.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"

#include <QApplication>
#include <QTest>
#include <functional>

// A wizard sheet with the eleven pages over one record, shown offscreen.
// The pages a test is about are given by `make`; every other position gets a
// stand-in page that only navigates.
class WizardHarness
{
public:
    using PageFactory = std::function<CWizardPage *(int nPage)>;

    explicit WizardHarness(const PageFactory &make, int nFirstPage = PAGE_METHOD)
        : sheet(QStringLiteral("Brimvale"), nullptr, nFirstPage)
    {
        static const int kTemplates[PAGE_COUNT] = {
            IDD_METHOD_PAGE,        IDD_CRITERIA_PAGE,      IDD_DRIVE_PAGE,          IDD_LOCATION_PAGE,
            IDD_NAME_PAGE,          IDD_EXTENSION_PAGE,     IDD_SIZE_PAGE,           IDD_CREATION_TIME_PAGE,
            IDD_MODIFIED_TIME_PAGE, IDD_ACCESSED_TIME_PAGE, IDD_RESULTS_PAGE,
        };
        for (int nPage = 0; nPage < PAGE_COUNT; ++nPage) {
            CWizardPage *page = make ? make(nPage) : nullptr;
            if (!page)
                page = new CStandInPage(nPage, kTemplates[nPage]);
            page->SetScan(&scan);
            sheet.AddPage(page);
        }
    }

    // Shows the sheet, which activates its first page.
    bool show()
    {
        sheet.show();
        return QTest::qWaitForWindowExposed(&sheet);
    }

    template <class T> T *page(int nPage) const { return qobject_cast<T *>(sheet.GetPage(nPage)); }
    int active() const { return sheet.GetActiveIndex(); }
    // Jumps to `nPage` as a page's GoToPage would.
    bool go(int nPage)
    {
        return sheet.SetActivePage(nPage);
    }
    void next() { QTest::mouseClick(&sheet.GetNextButton(), Qt::LeftButton); }
    void back() { QTest::mouseClick(&sheet.GetBackButton(), Qt::LeftButton); }

    CFileScan scan;
    CWizard sheet;
};
