#pragma once

#include <QByteArray>

class TempDrive;

// The home trash of a user "u" below a temporary drive.
inline const QByteArray kTrash = "home/u/.local/share/Trash";

// Fills it with a file, a folder of three files (and an empty folder),
// information whose entry is gone, a file without information, and the
// trash's cache of folder sizes:
//   files/report 2.odt  <- /home/u/Documents/report final.odt (10 bytes)
//   files/proj/{a.txt, sub/b.txt, sub/c.txt, empty/} <- /home/u/proj (1+2+3)
//   info/ghost.trashinfo (no entry), files/lost.bin (4 bytes, no information)
bool MakeTrash(TempDrive &drive);
