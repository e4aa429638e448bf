#include "criteria/CPatternPage.h"

#include "controls/CFlatPushButton.h"
#include "controls/CSortArrowHeader.h"
#include "core/CFileScan.h"
#include "core/PageSequence.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// In-place editing of an entry: an empty text is refused and the entry keeps
// what it had; Escape keeps it too. Enter ends the editing and goes no
// further, so it never reaches the sheet as a press of Next.
class CEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        const auto *edit = qobject_cast<QLineEdit *>(editor);
        if (!edit || edit->text().isEmpty())
            return;
        model->setData(index, edit->text(), Qt::EditRole);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        const bool handled = QStyledItemDelegate::eventFilter(object, event);
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                // The delegate has queued the commit; keep the key here.
                event->accept();
                return true;
            }
        }
        return handled;
    }
};

// The entries list. A click on the empty space below the entries would leave
// it without a selection, and Remove and F2 act on the selected entry: the
// entry that had the focus is selected again after every click.
class CEntryList : public QTreeWidget
{
public:
    using QTreeWidget::QTreeWidget;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        m_focusedBeforeClick = currentIndex();
        QTreeWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QTreeWidget::mouseReleaseEvent(event);
        QModelIndex focused = currentIndex();
        if (!focused.isValid())
            focused = m_focusedBeforeClick;
        if (focused.isValid() && !selectionModel()->isSelected(focused))
            selectionModel()->setCurrentIndex(focused, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

public:
    // Ends an in-place edit that is still open as if it had lost the focus.
    void CommitOpenEditor()
    {
        if (QWidget *editor = indexWidget(currentIndex())) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

private:
    QPersistentModelIndex m_focusedBeforeClick;
};

QTreeWidgetItem *NewEntryItem(const QString &text)
{
    auto *item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    return item;
}

} // namespace

CPatternPage::CPatternPage(const Texts &texts)
    : CWizardPage(texts.nTemplateId)
    , m_texts(texts)
{
}

QStringList &CPatternPage::RecordList() const
{
    return m_pScan->*m_texts.pList;
}

QWidget *CPatternPage::CreateControl(const DialogControlTemplate &control)
{
    if (control.id == m_texts.nListId && control.kind == DialogControlKind::ListView) {
        m_listEntries = new CEntryList(this);
        return m_listEntries;
    }
    QWidget *widget = CWizardPage::CreateControl(control);
    if (control.id == IDC_ADD)
        m_btnAdd = qobject_cast<CFlatPushButton *>(widget);
    else if (control.id == IDC_REMOVE)
        m_btnRemove = qobject_cast<CFlatPushButton *>(widget);
    return widget;
}

int CPatternPage::GetAnchor(const DialogControlTemplate &control) const
{
    // The list takes the room a larger sheet gives; its buttons stay beside it.
    if (control.id == m_texts.nListId)
        return GrowX | GrowY;
    if (control.id == IDC_ADD || control.id == IDC_REMOVE)
        return MoveX;
    return CWizardPage::GetAnchor(control);
}

void CPatternPage::OnInitDialog()
{
    CWizardPage::OnInitDialog();

    SetBoldFont(GetDlgItem(m_texts.nTitleId));
    SetDlgItemText(m_texts.nTitleId, m_texts.nTitleText);
    SetDlgItemText(m_texts.nDescriptionId, m_texts.nDescriptionText);
    SetDlgItemText(IDC_ADD, IDS_ADD);
    SetDlgItemText(IDC_REMOVE, IDS_REMOVE);

    if (m_btnAdd)
        connect(m_btnAdd, &QAbstractButton::clicked, this, &CPatternPage::OnAdd);
    if (m_btnRemove)
        connect(m_btnRemove, &QAbstractButton::clicked, this, &CPatternPage::OnRemove);

    if (!m_listEntries)
        return;
    m_listEntries->setColumnCount(1);
    m_listEntries->setRootIsDecorated(false);
    m_listEntries->setItemsExpandable(false);
    m_listEntries->setUniformRowHeights(true);
    m_listEntries->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listEntries->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listEntries->setTextElideMode(Qt::ElideRight);
    m_listEntries->setWordWrap(false);
    m_listEntries->setSortingEnabled(false);
    // A click on the selected entry edits it, as F2 does; nothing else does.
    m_listEntries->setEditTriggers(QAbstractItemView::SelectedClicked);
    m_listEntries->setItemDelegate(new CEntryDelegate(m_listEntries));
    m_listEntries->setFocusPolicy(Qt::StrongFocus);

    m_headerEntries = new CSortArrowHeader(m_listEntries);
    m_headerEntries->Attach(m_listEntries);
    m_headerEntries->SetSortColumn(-1, true);
    m_listEntries->setHeaderLabels({LoadString(m_texts.nColumnText)});
    m_listEntries->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    // The column spans the list, also once a vertical scroll bar narrows it:
    // a long entry is cut short with an ellipsis rather than scrolled, so the
    // selected last entry is never hidden behind a horizontal scroll bar.
    m_headerEntries->resizeSection(0, m_listEntries->contentsRect().width() - 2);
    m_headerEntries->setStretchLastSection(true);
    m_listEntries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The single column can be neither clicked nor resized.
    m_headerEntries->setEnabled(false);

    m_listEntries->installEventFilter(this);
    connect(m_listEntries, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item, int) { OnItemChanged(item); });
}

bool CPatternPage::OnSetActive()
{
    const bool result = CWizardPage::OnSetActive();
    const QStringList &entries = RecordList();
    if (m_listEntries) {
        // The record is the only state: the list is refilled from it.
        {
            const QSignalBlocker blocker(m_listEntries);
            m_listEntries->clear();
            QList<QTreeWidgetItem *> items;
            items.reserve(entries.size());
            for (const QString &entry : entries)
                items.append(NewEntryItem(entry));
            m_listEntries->addTopLevelItems(items);
        }
        m_listEntries->setFocus();
        SelectItem(m_listEntries->topLevelItemCount() - 1);
    }
    // After Restart refilled an emptied list, or when the page is entered
    // with an empty list, the buttons must follow what the list now holds.
    EnableForEntries(!entries.isEmpty());
    if (m_texts.nPage == PAGE_LOCATION)
        m_nBackPage = PAGE_DRIVE;
    return result;
}

bool CPatternPage::OnKillActive()
{
    if (!CWizardPage::OnKillActive())
        return false;
    // Next or Back by a shortcut leaves the editor open: what was typed
    // belongs in the record before the page goes.
    if (m_listEntries)
        static_cast<CEntryList *>(m_listEntries)->CommitOpenEditor();
    return true;
}

void CPatternPage::OnNextButton()
{
    m_nNextPage = NextPage(*m_pScan, m_texts.nPage);
    GoToPage(m_nNextPage);
}

void CPatternPage::OnBackButton()
{
    // The location page always leads back to the drive page (set on
    // activation); the others retrace the selected criteria.
    if (m_texts.nPage != PAGE_LOCATION)
        m_nBackPage = BackPage(*m_pScan, m_texts.nPage);
    GoToPage(m_nBackPage);
}

void CPatternPage::OnAdd()
{
    if (!m_listEntries)
        return;
    const QString text = LoadString(m_texts.nNewEntryText);
    RecordList().append(text);
    const int nItem = m_listEntries->topLevelItemCount();
    QTreeWidgetItem *item = NewEntryItem(text);
    m_listEntries->insertTopLevelItem(nItem, item);
    m_listEntries->setFocus();
    SelectItem(nItem);
    m_listEntries->editItem(item, 0);
    EnableForEntries(true);
}

void CPatternPage::OnRemove()
{
    if (!m_listEntries)
        return;
    const QList<QTreeWidgetItem *> selected = m_listEntries->selectedItems();
    if (selected.isEmpty())
        return;
    int nItem = m_listEntries->indexOfTopLevelItem(selected.first());
    if (nItem < 0)
        return;
    delete m_listEntries->takeTopLevelItem(nItem);
    QStringList &entries = RecordList();
    if (nItem < entries.size())
        entries.removeAt(nItem);
    const int nCount = m_listEntries->topLevelItemCount();
    if (nItem >= nCount)
        nItem = nCount - 1;
    SelectItem(nItem);
    if (nCount == 0)
        EnableForEntries(false);
}

void CPatternPage::OnEditLabel()
{
    if (!m_listEntries)
        return;
    QTreeWidgetItem *item = m_listEntries->currentItem();
    if (item && item->isSelected())
        m_listEntries->editItem(item, 0);
}

void CPatternPage::OnItemChanged(QTreeWidgetItem *item)
{
    QStringList &entries = RecordList();
    const int nItem = m_listEntries->indexOfTopLevelItem(item);
    if (nItem < 0 || nItem >= entries.size())
        return;
    entries[nItem] = item->text(0);
}

void CPatternPage::SelectItem(int nItem)
{
    QTreeWidgetItem *item = m_listEntries->topLevelItem(nItem);
    if (!item)
        return;
    m_listEntries->setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect);
    m_listEntries->scrollToItem(item);
}

void CPatternPage::EnableForEntries(bool bAny)
{
    if (m_btnRemove)
        m_btnRemove->setEnabled(bAny);
    m_bHasEntries = bAny;
    emit completeChanged();
}

bool CPatternPage::eventFilter(QObject *watched, QEvent *event)
{
    if (m_listEntries && watched == m_listEntries && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Insert:
                OnAdd();
                return true;
            case Qt::Key_Delete:
                OnRemove();
                return true;
            case Qt::Key_F2:
                OnEditLabel();
                return true;
            default:
                break;
            }
        }
    }
    return CWizardPage::eventFilter(watched, event);
}
