#pragma once

#include <QByteArray>
#include <QByteArrayList>

class CFileScan;
class CResultStore;
class CResultsModel;

// Walks `scan`'s drive as a scan does (the walk with `readers` readers, the
// matcher, no protection) and adds every match, with its reason, to
// `store`, trash entries as one row each (CTrashGrouper). Returns the
// listed paths relative to the drive root, sorted.
QByteArrayList ScanIntoStore(const CFileScan &scan, CResultStore &store, int readers = 1);
// The same into a results model, whose rows are then shown.
void ScanIntoModel(const CFileScan &scan, CResultsModel &model);

// The bare walk of `root` (no matcher): adds the files whose name is in
// `names`, every file when it is empty.
void WalkIntoStore(CResultStore &store, const QByteArray &root, const QByteArrayList &names = {});

// A criteria record for Express on the drive at `root`.
CFileScan ExpressScanOf(const QByteArray &root);
