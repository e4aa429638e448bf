#pragma once

#include "res/DialogTemplate.h"

#include <QHash>
#include <QWidget>
#include <vector>

class CFileScan;
class CWizard;

// Base of every page of the wizard. A page is built from its dialog template
// the first time it becomes active (OnInitDialog); the sheet's own Next and
// Back buttons reach the active page's OnNextButton / OnBackButton, which
// decide where to go and call GoToPage.
class CWizardPage : public QWidget
{
    Q_OBJECT

public:
    // How a control follows the page when the sheet is made larger: it
    // moves with the right or bottom edge, or grows with it. Unanchored
    // controls keep their place from the top-left corner.
    enum Anchor { AnchorNone = 0, MoveX = 1, MoveY = 2, GrowX = 4, GrowY = 8 };

    explicit CWizardPage(int nTemplateId, QWidget *parent = nullptr);
    ~CWizardPage() override;

    // The shared criteria record; set before the page is added to the sheet.
    void SetScan(CFileScan *pScan) { m_pScan = pScan; }
    CFileScan *GetScan() const { return m_pScan; }

    int TemplateId() const { return m_nTemplateId; }
    const DialogTemplate *Template() const { return m_pTemplate; }

    // Builds the page's controls once; later calls do nothing. The sheet
    // calls it before the page first becomes active.
    void EnsureInitialized();
    bool IsInitialized() const { return m_bInitialized; }

    // Asks the sheet to make page `nPage` active (the page being left may
    // refuse and stay), then sets the sheet's Back button by the page that
    // is active afterwards.
    bool GoToPage(int nPage);

    // Gives `control` a bold copy of its font.
    void SetBoldFont(QWidget *control);

    // The sheet's Next and Back buttons, routed to the active page.
    virtual void OnNextButton();
    virtual void OnBackButton();

    // Whether the page lets the user go on: the sheet enables its Next
    // button by this whenever the page is activated or says completeChanged.
    virtual bool IsComplete() const { return true; }
    // String id of the text the sheet's Next button carries on this page.
    virtual int GetNextTextId() const;

    // Activation and deactivation. The page is loaded from the record when
    // it becomes active again and stored back when it is left; returning
    // false from OnKillActive keeps the page.
    virtual bool OnSetActive();
    virtual bool OnKillActive();

    // Data exchange: false loads the controls from the record, true stores
    // them back and may refuse a value by returning false.
    virtual bool UpdateData(bool bSaveAndValidate = true);

    // The control with `id`, or nullptr.
    QWidget *GetDlgItem(int id) const;
    template <class T> T *GetDlgItemAs(int id) const { return qobject_cast<T *>(GetDlgItem(id)); }

    // Replaces the text of control `id` by string `nStringId`.
    void SetDlgItemText(int id, int nStringId);

signals:
    // What IsComplete or GetNextTextId answer may have changed.
    void completeChanged();

protected:
    // The framework's members: pages read and write them as they go.
    CFileScan *m_pScan = nullptr;
    // Where the Back and Next buttons lead (page indexes 0..10).
    int m_nBackPage = 0;
    int m_nNextPage = 0;
    CWizard *m_pSheet = nullptr;

    // Creates the controls of the template (CreateControl for each, in
    // template order, which is also the tab order), loads them from the
    // record and finds the sheet. Pages extend it (call the base first) to
    // set their texts, bold titles and lists.
    virtual void OnInitDialog();

    // The widget that stands for `control`. The base makes plain statics,
    // pictures, frames and the program's own buttons, check boxes, radio
    // buttons and flat combo boxes; pages return their own class for the
    // controls they need more from. nullptr leaves the control out.
    virtual QWidget *CreateControl(const DialogControlTemplate &control);
    // The anchor of `control`. The base lets the etched frame grow with the
    // page; pages with lists let them grow and move what stands beside them.
    virtual int GetAnchor(const DialogControlTemplate &control) const;

    void resizeEvent(QResizeEvent *event) override;

private:
    void CreateControls();
    static void FitPictureToImage(QWidget *widget);

    int m_nTemplateId;
    const DialogTemplate *m_pTemplate = nullptr;
    bool m_bInitialized = false;
    bool m_bFirstSetActive = true;
    QHash<int, QWidget *> m_controls;
    struct AnchoredControl
    {
        QWidget *widget;
        QRect geometry; // as placed for the template size
        int anchor;
    };
    std::vector<AnchoredControl> m_anchored;
    QSize m_templateSize;
};
