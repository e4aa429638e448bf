#include "controls/CFailedFilesDlg.h"

#include "controls/AccessibleFactory.h"
#include "controls/TextFit.h"
#include "controls/CFlatPushButton.h"
#include "core/CListSorter.h"
#include "controls/CSortArrowHeader.h"
#include "controls/CTypedItemModel.h"
#include "core/FileOpReason.h"
#include "res/Bitmaps.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QStandardItemModel>
#include <QTreeView>

CFailedFilesDlg::CFailedFilesDlg(QWidget *parent)
    : QDialog(parent),
      m_listFailed(new QTreeView(this)),
      m_modelFailed(new CTypedItemModel(0, 2, this)),
      m_btnOk(new CFlatPushButton(this)),
      m_btnDetails(new CFlatPushButton(this)),
      m_wndMessage(new QLabel(this)),
      m_wndIcon(new QLabel(this)),
      m_headerFailed(new CSortArrowHeader(this))
{
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFont(DialogFont());
    if (const DialogTemplate *dialogTemplate = FindDialogTemplate(IDD_FAILED_FILES)) {
        setFixedSize(DialogPixelSize(*dialogTemplate));
        for (const DialogControlTemplate &control : dialogTemplate->controls)
            if (control.kind == DialogControlKind::Picture)
                PlaceControl(m_wndIcon, control);
        PlaceControl(m_wndMessage, *dialogTemplate, IDC_FAILED_MESSAGE);
        PlaceControl(m_btnOk, *dialogTemplate, IDOK);
        PlaceControl(m_btnDetails, *dialogTemplate, IDC_DETAILS);
        PlaceControl(m_listFailed, *dialogTemplate, IDC_FAILED_LIST);
    }
    m_wndIcon->setPixmap(LoadProgramIcon().pixmap(m_wndIcon->size()));
    m_wndMessage->setWordWrap(true);
    m_wndMessage->setTextFormat(Qt::PlainText);
    m_wndMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_btnOk->setDefault(true);
    m_btnDetails->setAutoDefault(false);
    connect(m_btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_btnDetails, &QPushButton::clicked, this, &CFailedFilesDlg::OnDetails);
}

void CFailedFilesDlg::setVisible(bool visible)
{
    // The action fills the message and the paths after construction.
    if (visible && !m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
        NameControlsByLabels(this);
    }
    QDialog::setVisible(visible);
}

void CFailedFilesDlg::OnInitDialog()
{
    m_wndMessage->setText(m_strMessage);
    setWindowTitle(LoadString(IDS_PRODUCT_NAME));
    m_btnDetails->setText(LoadString(IDS_DETAILS_MORE));
    m_btnOk->setText(LoadString(IDS_OK));
    // A longer message (a translation) makes the dialog taller first.
    FitTextsInside(this);

    m_cxExpanded = m_cxCollapsed = width();
    m_cyExpanded = height();
    // Folded, the dialog ends a third of a button height below the buttons,
    // which leaves the list outside it.
    const QRect ok = m_btnOk->geometry();
    m_cyCollapsed = ok.y() + ok.height() + ok.height() / 3;
    setFixedSize(m_cxCollapsed, m_cyCollapsed);
    m_bCollapsed = 1;

    SetUpList();
    m_btnOk->setFocus(Qt::OtherFocusReason);
}

void CFailedFilesDlg::SetUpList()
{
    m_listFailed->setModel(m_modelFailed);
    m_listFailed->setRootIsDecorated(false);
    m_listFailed->setItemsExpandable(false);
    m_listFailed->setUniformRowHeights(true);
    m_listFailed->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listFailed->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listFailed->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A path too long for its column keeps its start and its file name.
    m_listFailed->setTextElideMode(Qt::ElideMiddle);

    // Unsorted until the user clicks the header: rows stay in the order met.
    m_headerFailed->Attach(m_listFailed);
    m_headerFailed->SetSortColumn(-1, true);
    m_modelFailed->setHorizontalHeaderLabels({LoadString(IDS_COLUMN_FILE), LoadString(IDS_COLUMN_REASON)});
    m_modelFailed->SetColumnType(0, CListSorter::TypeText);
    m_modelFailed->SetColumnType(1, CListSorter::TypeText);

    m_modelFailed->setRowCount(0);
    int reasonWidth = m_listFailed->fontMetrics().horizontalAdvance(LoadString(IDS_COLUMN_REASON));
    for (const FailedFile &file : m_failed) {
        auto *item = new QStandardItem(QFile::decodeName(file.path));
        item->setData(file.path, Qt::UserRole);
        // Why the action left it, where the action said so: the message
        // above can only guess for all of them.
        const bool known = !(file.result.code == FileOpCode::Failed && file.result.error == 0) && !file.result.ok();
        const QString reason = known ? DescribeFileOp(file.result) : QString();
        auto *why = new QStandardItem(reason);
        if (known) {
            item->setToolTip(reason);
            why->setToolTip(reason);
            reasonWidth = qMax(reasonWidth, m_listFailed->fontMetrics().horizontalAdvance(reason));
        }
        m_modelFailed->appendRow({item, why});
    }

    // The columns span the visible width of the list less two pixels, so
    // nothing scrolls sideways: that width loses the vertical scroll bar
    // when the rows are more than the list shows at once. The reason gets
    // what its longest text needs, up to half; the path the rest.
    int client = m_listFailed->contentsRect().width();
    const int rows = m_modelFailed->rowCount();
    const int rowHeight = rows > 0 ? m_listFailed->sizeHintForRow(0) : 0;
    const int visible = m_listFailed->contentsRect().height() - m_headerFailed->sizeHint().height();
    if (m_listFailed->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff && qint64(rows) * rowHeight > visible)
        client -= m_listFailed->verticalScrollBar()->sizeHint().width();
    const int padding = 2 * m_listFailed->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_listFailed) + 8;
    const int reasonSection = qMin(reasonWidth + padding, (client - 2) / 2);
    m_headerFailed->resizeSection(0, client - 2 - reasonSection);
    m_headerFailed->resizeSection(1, reasonSection);
}

void CFailedFilesDlg::OnDetails()
{
    if (m_bCollapsed) {
        setFixedSize(m_cxExpanded, m_cyExpanded);
        m_btnDetails->setText(LoadString(IDS_DETAILS_LESS));
    } else {
        setFixedSize(m_cxCollapsed, m_cyCollapsed);
        m_btnDetails->setText(LoadString(IDS_DETAILS_MORE));
    }
    m_bCollapsed = !m_bCollapsed;
}

void CFailedFilesDlg::SetFailedFiles(const QList<FailedFile> &failed)
{
    m_failed = failed;
    m_arrFailed.clear();
    m_arrFailed.reserve(failed.size());
    for (const FailedFile &file : failed)
        m_arrFailed.append(file.path);
}

void CFailedFilesDlg::SetFailedPaths(const QList<QByteArray> &paths)
{
    QList<FailedFile> failed;
    failed.reserve(paths.size());
    for (const QByteArray &path : paths)
        failed.append({path, FileOpResult::Make(FileOpCode::Failed, 0)});
    SetFailedFiles(failed);
}
