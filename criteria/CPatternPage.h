#pragma once

#include "wizard/CWizardPage.h"

#include <QStringList>

class CFileScan;
class CFlatPushButton;
class CSortArrowHeader;
class QTreeWidget;
class QTreeWidgetItem;

// A page that edits one list of patterns of the criteria record: a
// one-column list with in-place editing, Add and Remove. Every change goes
// into the record at once, so the list on screen and the record list are
// equal entry by entry after every handler, and nothing is lost by Back.
class CPatternPage : public CWizardPage
{
    Q_OBJECT

public:
    // What tells the location, name and extension pages apart.
    struct Texts
    {
        int nPage;            // the page's position in the sheet
        int nTemplateId;
        QStringList CFileScan::*pList;
        int nListId;
        int nTitleId;
        int nTitleText;
        int nDescriptionId;
        int nDescriptionText;
        int nColumnText;
        int nNewEntryText;
    };

    explicit CPatternPage(const Texts &texts);

    bool OnSetActive() override;
    bool OnKillActive() override;
    // An empty list would match nothing.
    bool IsComplete() const override { return m_bHasEntries; }
    void OnNextButton() override;
    void OnBackButton() override;

    // Appends the new-entry text and starts editing it.
    void OnAdd();
    // Removes the selected entry and selects the one that followed it.
    void OnRemove();
    // Edits the entry that is both current and selected.
    void OnEditLabel();

    CFlatPushButton *GetRemoveButton() const { return m_btnRemove; }
    CFlatPushButton *GetAddButton() const { return m_btnAdd; }
    QTreeWidget *GetEntryList() const { return m_listEntries; }

protected:
    void OnInitDialog() override;
    QWidget *CreateControl(const DialogControlTemplate &control) override;
    int GetAnchor(const DialogControlTemplate &control) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QStringList &RecordList() const;

private:
    CFlatPushButton *m_btnRemove = nullptr;
    CFlatPushButton *m_btnAdd = nullptr;
    QTreeWidget *m_listEntries = nullptr;
    CSortArrowHeader *m_headerEntries = nullptr;
    void OnItemChanged(QTreeWidgetItem *item);
    void SelectItem(int nItem);
    // Remove and the wizard's Next are usable exactly while there is an entry.
    void EnableForEntries(bool bAny);
    bool m_bHasEntries = true;

    Texts m_texts;
};
