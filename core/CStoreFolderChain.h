#pragma once

#include "platform/CFolderChain.h"
#include "platform/FileOpResult.h"

#include <QByteArray>
#include <QList>
#include <vector>

class CResultStore;

// The folder of one listed file after another, each reached from the drive
// root by descriptor without following links. Files come folder by folder,
// so only the levels that differ from the previous file's are opened, for
// a walked tree and for folders known by their whole path (a list read
// back) alike.
class CStoreFolderChain
{
public:
    CStoreFolderChain(const CResultStore &store, const QByteArray &driveRoot);

    // The descriptor of the store's folder `folder` (O_PATH, owned by the
    // chain), or -1 with `result` set. Folders outside the drive root fail.
    int Reach(int folder, FileOpResult &result);
    const QByteArray &GetDriveRoot() const { return m_strDriveRoot; }

    static QByteArray WithoutTrailingSlashes(QByteArray path);

private:
    // The folder `components` below the drive root, keeping the levels it
    // shares with the chain as it stands.
    int ReachComponents(const QList<QByteArray> &components, FileOpResult &result);

    const CResultStore &m_store;
    QByteArray m_strDriveRoot;
    CFolderChain m_chain;
    std::vector<int> m_chainFolders;
};
