#pragma once

#include "core/CStoreFolderChain.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

class CResultStore;

// The folders an action emptied, removed when it ends. A folder qualifies
// only if it lies below the folder whose rule listed the files (an Express
// folder, a tagged cache, a Custom location), never that folder itself nor
// anything above it, and only if it held a listed file, or a folder on the
// way to one, when the drive was scanned: a folder that was empty then is
// never touched. Subfolders go before their parents; a folder that holds
// anything now, a mount point and a link stay (CEmptyFolderRemover). Every
// folder is reached from the drive root by descriptor, as the files were.
class CEmptiedFolders
{
public:
    CEmptiedFolders(const CResultStore &store, const QByteArray &driveRoot);

    // The file with result index `index` left its folder (deleted, or moved
    // off it).
    void NoteLeft(int index);
    // Removes what the files noted so far left empty; returns how many
    // folders went. Noted files are forgotten.
    int RemoveEmptied();
    // Folders removed by every RemoveEmptied so far.
    int GetRemovedCount() const { return m_nRemoved; }

private:
    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    std::vector<int> m_leftFolders; // store folders that lost a file, in the order met
    int m_nRemoved = 0;
};
