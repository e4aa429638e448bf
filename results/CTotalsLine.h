#pragma once

#include "core/CProtection.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class QLabel;
class QWidget;

// The lines under the results list: "Selected : %s in %d files", what
// deleting the checked files would free, the drive's free space, the
// protected files left out or locked, and the folders the scan could not
// read. The selection, its forecast and the free space share one line, each
// text as wide as it needs; where the three need more than the page's width
// (a longer language, large figures), the page's minimum width grows to
// hold them.
class CTotalsLine
{
public:
    // Takes the page's labels (any may be missing) after its controls exist.
    void Attach(QWidget *page, QLabel *selection, QLabel *frees, QLabel *freeSpace, QLabel *protectedLine,
                QLabel *skippedFolders, QLabel *spaceNotes = nullptr);

    // `forecastBytes` surely come back, `upToBytes` at most.
    void ShowSelection(std::int64_t selectedBytes, int selectedCount, std::int64_t forecastBytes,
                       std::int64_t upToBytes);
    void ShowFreeSpace(const QString &freeSpace);
    void ShowProtected(const CProtection::Counts &counts, bool bLocked, int unreadableProcesses);
    // Space no listed file shows (files deleted but still open, snapshots),
    // one line; nothing when `notes` is empty.
    void ShowSpaceNotes(const QStringList &notes);
    // Shortens the protection and space-note lines again to the width
    // their labels have now (after a resize).
    void FitNotes();
    // Empty when the scan read every folder.
    void ShowSkippedFolders(std::int64_t nSkippedFolders);
    // In the skipped folders' place: how many folders an action emptied
    // and removed.
    void ShowFoldersRemoved(int nFolders);
    // Puts the forecast right after the selection text and lets the
    // free-space line have the rest of the line.
    void Layout();

private:
    static void ShowOneLine(QLabel *label, const QString &text);
    // Widens the page's minimum (never beyond its maximum) to the width the
    // line needs with its texts as they are now.
    void GrowPageToFit(int gap);

    QWidget *m_pPage = nullptr;
    QLabel *m_pSelection = nullptr;
    QLabel *m_pFrees = nullptr;
    QLabel *m_pFreeSpace = nullptr;
    QLabel *m_pProtected = nullptr;
    QLabel *m_pSkipped = nullptr;
    QLabel *m_pSpaceNotes = nullptr;
    int m_nFreeSpaceWidth = 0; // the free-space line's own width, from the template
    QString m_strFreeSpace;    // its whole text, however much of it shows
};
