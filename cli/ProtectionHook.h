#pragma once

#include <QByteArray>
#include <QString>

struct WalkRecord;

// Files the program never offers and never touches (what installed software
// needs): the scan leaves them out of every list and the actions refuse them,
// both by asking here. The rules are the wizard's own (CProtection), loaded
// once per drive root for the life of the process.
bool IsProtectedFile(const QByteArray &driveRoot, const WalkRecord &record);

// How many files were held back on `driveRoot` and why, in the results
// page's words; empty when none was.
QString ProtectionSummary(const QByteArray &driveRoot);
