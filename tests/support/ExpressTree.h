#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <cstdint>

class TempDrive;

// The small mixed tree the wizard's and the command line's end-to-end tests
// scan: Express lists files below a Temp or Cache folder and files with a
// discardable extension, and must leave the rest out.
struct ExpressTreeFile
{
    QByteArray path; // relative to the drive
    std::int64_t size;
    bool express; // listed by Express
};

extern const QList<ExpressTreeFile> kExpressTree;

// Makes the files, and `docs/seven.bak`, a link that is listed as itself
// (its size is its target's length) and never followed.
bool MakeExpressTree(TempDrive &drive);

// The full paths Express lists on that tree.
QSet<QByteArray> ExpressTreePaths(const TempDrive &drive);
