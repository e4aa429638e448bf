#include "ExpressTree.h"

#include "TempDrive.h"

const QList<ExpressTreeFile> kExpressTree = {
    {"Temp/one.txt", 1500, true},
    {"Temp/deep/two.bin", 2048, true},
    {"docs/three.tmp", 100, true},
    {"docs/four.LOG", 5000, true},
    {"Cache/five", 0, true},
    {"docs/bad\xff.tmp", 30, true},
    {"docs/keep.txt", 777, false},
    {"docs/big.txt", 4000, false},
    {"temporary/six.txt", 10, false},
    {"docs/a.tar.gz", 300, false},
};

bool MakeExpressTree(TempDrive &drive)
{
    for (const ExpressTreeFile &file : kExpressTree) {
        if (!drive.makeFile(file.path, file.size))
            return false;
    }
    return drive.makeSymlink("docs/seven.bak", "keep.txt");
}

QSet<QByteArray> ExpressTreePaths(const TempDrive &drive)
{
    QSet<QByteArray> paths;
    for (const ExpressTreeFile &file : kExpressTree) {
        if (file.express)
            paths.insert(drive.path(file.path));
    }
    paths.insert(drive.path("docs/seven.bak"));
    return paths;
}
