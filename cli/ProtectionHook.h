#pragma once

#include <QByteArray>

// Files the program never offers and never touches (what installed software
// needs). The scan leaves them out of every list and the actions refuse them,
// both by asking here. The rules themselves are not part of this build yet,
// so for now nothing is protected; they plug in behind this one function.
bool IsProtectedFile(const QByteArray &folder, const QByteArray &name);
