#pragma once

#include <QByteArray>
#include <QList>

// A package database as dpkg keeps it, below a test's own drive, for dpkg's
// real query programs to read with --root: a status file naming every
// package installed, one file list per package and the diversions file.
struct FakePackage
{
    QByteArray name;          // "libx:amd64" makes a Multi-Arch: same package
    QByteArray list;          // the file list's bytes, as dpkg would write them
    bool installed = true;    // false: removed, its configuration files kept
};

// Writes `root`/var/lib/dpkg; `diversions` in the file's own form (three
// lines each: from, to, package or ":" for a local one). False on any failure.
bool WriteDpkgDatabase(const QByteArray &root, const QList<FakePackage> &packages, const QByteArray &diversions = {});
