#pragma once

#include <QByteArray>

// Makes `folder` (which must not exist) and below it `fileCount` files of
// 16 bytes, `filesPerFolder` to a folder "g<G>/f<F>" with `foldersPerGroup`
// folders to a group: the shape the delete benchmarks time against find.
// Files are named "file<N><suffix>". False on the first failure.
bool MakeGroupedTree(const QByteArray &folder, int fileCount, int filesPerFolder, int foldersPerGroup,
                     const QByteArray &suffix);
