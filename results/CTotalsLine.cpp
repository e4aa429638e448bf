#include "results/CTotalsLine.h"

#include "core/FreesText.h"
#include "core/SizeText.h"
#include "res/DialogUnits.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QLabel>

namespace {

// Fills the first %s and the first %d of a string-table format.
QString FillFormat(QString format, const QString &text, qint64 number = 0)
{
    const qsizetype s = format.indexOf(QLatin1String("%s"));
    if (s >= 0)
        format.replace(s, 2, text);
    const qsizetype d = format.indexOf(QLatin1String("%d"));
    if (d >= 0)
        format.replace(d, 2, QString::number(number));
    return format;
}

} // namespace

void CTotalsLine::Attach(QWidget *page, QLabel *selection, QLabel *frees, QLabel *freeSpace, QLabel *protectedLine,
                         QLabel *skippedFolders, QLabel *spaceNotes)
{
    m_pPage = page;
    m_pSelection = selection;
    m_pFrees = frees;
    m_pFreeSpace = freeSpace;
    m_pProtected = protectedLine;
    m_pSkipped = skippedFolders;
    m_pSpaceNotes = spaceNotes;
    // The totals line is laid out by the widths of its texts, each on one
    // line: a label allowed to wrap would show only its first line there.
    for (QLabel *label : {m_pSelection, m_pFrees, m_pFreeSpace}) {
        if (label)
            label->setWordWrap(false);
    }
    if (m_pFreeSpace) {
        m_nFreeSpaceWidth = m_pFreeSpace->width();
        m_strFreeSpace = m_pFreeSpace->text();
    }
}

void CTotalsLine::ShowSelection(std::int64_t selectedBytes, int selectedCount, std::int64_t forecastBytes,
                                std::int64_t upToBytes)
{
    if (m_pSelection)
        m_pSelection->setText(FillFormat(LoadString(IDS_SELECTION_FORMAT), FormatSize(selectedBytes), selectedCount));
    if (m_pFrees)
        m_pFrees->setText(FormatFrees(forecastBytes, upToBytes));
    Layout();
}

void CTotalsLine::ShowFreeSpace(const QString &freeSpace)
{
    m_strFreeSpace = FillFormat(LoadString(IDS_FREE_SPACE_FORMAT), freeSpace);
    if (m_pFreeSpace)
        m_pFreeSpace->setText(m_strFreeSpace);
    Layout();
}

void CTotalsLine::ShowProtected(const CProtection::Counts &counts, bool bLocked, int unreadableProcesses)
{
    if (!m_pProtected)
        return;
    ShowOneLine(m_pProtected, CProtection::SummaryText(counts, bLocked, unreadableProcesses));
}

void CTotalsLine::ShowOneLine(QLabel *label, const QString &text)
{
    // One line, never wrapped under the totals: what does not fit ends in
    // an ellipsis, so that the cut shows, and the whole text is in the
    // tooltip (a wider sheet shows more of it). The notes name programs,
    // so their length is anybody's guess.
    label->setWordWrap(false);
    const int room = label->contentsRect().width() - 2 * label->margin();
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, room));
    label->setToolTip(text);
}

void CTotalsLine::FitNotes()
{
    // The tooltip keeps each line's whole text.
    for (QLabel *label : {m_pProtected, m_pSpaceNotes}) {
        if (label)
            ShowOneLine(label, label->toolTip());
    }
}

void CTotalsLine::ShowSpaceNotes(const QStringList &notes)
{
    if (!m_pSpaceNotes)
        return;
    ShowOneLine(m_pSpaceNotes, notes.join(QStringLiteral("  ")));
}

void CTotalsLine::ShowSkippedFolders(std::int64_t nSkippedFolders)
{
    if (!m_pSkipped)
        return;
    if (nSkippedFolders <= 0)
        m_pSkipped->clear();
    else if (nSkippedFolders == 1)
        m_pSkipped->setText(LoadString(IDS_SKIPPED_ONE_FOLDER));
    else
        m_pSkipped->setText(FillFormat(LoadString(IDS_SKIPPED_FOLDERS), QString(), nSkippedFolders));
}

void CTotalsLine::ShowFoldersRemoved(int nFolders)
{
    if (m_pSkipped)
        m_pSkipped->setText(FormatString(IDS_FOLDERS_REMOVED, {QString::number(nFolders)}));
}

void CTotalsLine::Layout()
{
    if (!m_pSelection || !m_pFrees)
        return;
    // Each text gets exactly its own width, so neither is ever cut while
    // the line has room for all three. The free-space text, aligned right,
    // keeps its place and width unless the forecast reaches into it; then
    // it starts where the forecast ends.
    const int gap = CDialogUnits(m_pPage->font()).toPixelsX(6);
    if (m_pFreeSpace)
        m_pFreeSpace->setText(m_strFreeSpace); // measured whole
    GrowPageToFit(gap);
    const QRect line = m_pSelection->geometry();
    m_pSelection->setGeometry(line.x(), line.y(), m_pSelection->sizeHint().width(), line.height());
    m_pFrees->setGeometry(m_pSelection->geometry().right() + 1 + gap, line.y(), m_pFrees->sizeHint().width(),
                          line.height());
    if (m_pFreeSpace) {
        if (m_nFreeSpaceWidth == 0)
            m_nFreeSpaceWidth = m_pFreeSpace->width(); // the template's, before any change
        const int right = m_pFreeSpace->geometry().right();
        const int wanted = qMax(m_nFreeSpaceWidth, m_pFreeSpace->sizeHint().width());
        const int left = qMax(right + 1 - wanted, m_pFrees->geometry().right() + 1 + gap);
        m_pFreeSpace->setGeometry(left, m_pFreeSpace->y(), qMax(0, right - left + 1), m_pFreeSpace->height());
        // Only a page kept narrower than the line (its maximum width) leaves
        // too little room: the text then ends in an ellipsis, whole in its
        // tooltip, rather than being cut at the edge.
        ShowOneLine(m_pFreeSpace, m_strFreeSpace);
    }
}

void CTotalsLine::GrowPageToFit(int gap)
{
    // The page's margins stay as the template has them: the selection's on
    // the left, the free-space text's (anchored to the right edge) on the
    // right. Between them the three texts and their two gaps.
    int needed = 2 * m_pSelection->x() + m_pSelection->sizeHint().width() + gap + m_pFrees->sizeHint().width();
    if (m_pFreeSpace) {
        const int rightMargin = m_pPage->width() - 1 - m_pFreeSpace->geometry().right();
        needed += gap + m_pFreeSpace->sizeHint().width() + rightMargin - m_pSelection->x();
    }
    needed = qMin(needed, m_pPage->maximumWidth());
    if (needed <= m_pPage->minimumWidth())
        return;
    // Only ever wider: a line that shrinks again leaves the page as it is,
    // so the window does not jump back and forth while figures change.
    m_pPage->setMinimumWidth(needed);
    m_pPage->updateGeometry();
}
