#pragma once

#include "core/CPackageFileSource.h"
#include "platform/CDpkgReader.h"

#include <QByteArray>
#include <QString>

// Debian's package database: the paths of every installed package's files,
// and the paths its diversions moved packaged files to, as dpkg's own query
// programs report them.
class CDpkgFileSource : public CPackageFileSource
{
public:
    // `systemRoot`: the "/" of the system whose database is read (a
    // drive's root). `programs`: the query programs, for tests.
    explicit CDpkgFileSource(QByteArray systemRoot, DpkgPrograms programs = {});

    // False when no package is installed below the root (no database) or
    // dpkg-query failed before naming one; GetError then says why.
    bool LoadOwnedPaths(CPathHashSet &owned) override;

    int GetPackageCount() const { return m_nPackages; }
    int GetDiversionCount() const { return m_nDiversions; }
    std::int64_t GetBytesRead() const { return m_nBytesRead; }
    // Why the database could not be read whole; empty when it was.
    const QString &GetError() const { return m_strError; }

private:
    QByteArray m_strRoot;
    DpkgPrograms m_programs;
    int m_nPackages = 0;
    int m_nDiversions = 0;
    std::int64_t m_nBytesRead = 0;
    QString m_strError;
};
