#pragma once

#include "core/CPackageFileSource.h"

#include <QByteArray>

// Debian's package database: the paths of every installed package's file
// list, and the paths its diversions moved packaged files to.
class CDpkgFileSource : public CPackageFileSource
{
public:
    // `databaseFolder`: the folder holding info/*.list and diversions
    // (/var/lib/dpkg on a running system).
    explicit CDpkgFileSource(QByteArray databaseFolder);

    bool LoadOwnedPaths(CPathHashSet &owned) override;

    int GetListCount() const { return m_nLists; }
    int GetDiversionCount() const { return m_nDiversions; }

private:
    QByteArray m_strFolder;
    int m_nLists = 0;
    int m_nDiversions = 0;
};
