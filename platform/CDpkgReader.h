#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>

// Asks Debian's package manager what it installed on a system, through its
// own query programs, run without a shell: dpkg-query for the files of every
// installed package (one path from the system's "/" per file), dpkg-divert
// for the diversions (the path a package's file was meant for, and the path
// it was put at instead). Where dpkg keeps its database, and in what form,
// is dpkg's own matter. Nothing is cached: the caller keeps what it needs.

// The programs asked; tests name stand-ins that fail.
struct DpkgPrograms
{
    QByteArray query = QByteArrayLiteral("dpkg-query");
    QByteArray divert = QByteArrayLiteral("dpkg-divert");
};

class CDpkgReader
{
public:
    using PathHandler = std::function<void(const char *path, std::size_t length)>;
    using DiversionHandler = std::function<void(const QByteArray &from, const QByteArray &to)>;

    // `systemRoot`: the "/" of the system whose packages are asked about
    // (a drive's root; "/" for this system).
    explicit CDpkgReader(QByteArray systemRoot, DpkgPrograms programs = {});

    // Hands every path of every installed package to `handler` (one
    // dpkg-query for all); returns the number of packages, -1 when the
    // query failed (GetError says why; the paths handed over until then
    // were read all the same).
    int ReadFileLists(const PathHandler &handler);
    // Hands every diversion to `handler` (one dpkg-divert --list); returns
    // how many there were, -1 when the query failed. A line whose paths
    // hold " to /" can be read more than one way: each reading is handed over.
    int ReadDiversions(const DiversionHandler &handler);

    const QString &GetError() const { return m_strError; }
    // What the programs wrote, in bytes.
    std::int64_t GetBytesRead() const { return m_nBytesRead; }

    // One line of dpkg-divert --list, each reading of it to `handler`;
    // false when the line is no diversion.
    static bool ParseDiversion(const QByteArray &line, const DiversionHandler &handler);

    // Trims a path as the file lists write it to the path itself: no
    // trailing carriage return, space or slash, and the root ("/.") as "/".
    static void TrimPath(const char *&begin, const char *&end);

private:
    QByteArray RootOption() const;

    QByteArray m_strRoot;
    DpkgPrograms m_programs;
    QString m_strError;
    std::int64_t m_nBytesRead = 0;
};
