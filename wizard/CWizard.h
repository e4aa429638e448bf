#pragma once

#include "controls/CFlatPushButton.h"

#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <vector>

class CWizardPage;
class QMenu;
class QStackedWidget;

// The wizard sheet: the pages one above the other, with a row of buttons of
// its own (Back, Next, Close, Help) and the logo under them. The pages decide
// where Back and Next lead; the sheet only routes the buttons to the page
// that is active.
class CWizard : public QDialog
{
    Q_OBJECT

public:
    CWizard(const QString &caption, QWidget *parent = nullptr, int nSelectPage = 0);
    ~CWizard() override;

    // Appends a page; the sheet owns it from now on and destroys the pages
    // before anything else of its own.
    void AddPage(CWizardPage *page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CWizardPage *GetPage(int nPage) const;
    CWizardPage *GetActivePage() const;
    int GetActiveIndex() const { return m_nActivePage; }

    // Makes page `nPage` active: the active page is asked to let go (it may
    // refuse and stay), then the new page is initialised if needed and
    // activated. Returns whether page `nPage` is active afterwards.
    bool SetActivePage(int nPage);
    // Sets the buttons by the active page: Back is disabled on the first and
    // the last page; Next follows the page's completeness and text.
    void UpdateButtons();

    // Enter: a click on Next while both the sheet and Next are enabled.
    void OnWizNext();

    CFlatPushButton &GetNextButton() { return m_btnNext; }
    CFlatPushButton &GetBackButton() { return m_btnBack; }
    CFlatPushButton &GetCloseButton() { return m_btnClose; }
    CFlatPushButton &GetHelpButton() { return m_btnHelp; }
    QLabel &GetLogo() { return m_wndLogo; }

    // Where the caption menu appears: the area outside the pages (the button
    // row and the logo).
    bool IsCaptionArea(const QPoint &point) const;
    // The frame drawn around the button row.
    QRect ButtonRowFrame() const;

signals:
    void aboutRequested();
    void helpRequested();

protected:
    // The About entry of the caption menu and the Help button.
    virtual void OnAppAbout();
    virtual void OnHelp();
    // The Close button and the caption menu's Close.
    virtual void OnClose();
    // Shows the caption menu; tests look at it instead.
    virtual void TrackCaptionMenu(QMenu &menu, const QPoint &globalPos);

    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // A page whose minimum size grew (a line of figures that needs more
    // room) asks for a new layout: the sheet grows to hold it.
    bool event(QEvent *event) override;

private:
    CFlatPushButton m_btnNext;
    CFlatPushButton m_btnBack;
    CFlatPushButton m_btnClose;
    CFlatPushButton m_btnHelp;
    QLabel m_wndLogo;
    QIcon m_hIcon;
    void LayOut();
    void FocusPage(CWizardPage *page);
    void LoadLogo();
    void OnNextCommand();
    void OnBackCommand();

    QStackedWidget *m_stack;
    std::vector<CWizardPage *> m_pages;
    int m_nActivePage = -1;
    int m_nSelectPage;
    bool m_bStarted = false;
};
