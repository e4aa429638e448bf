#include "TrashFixture.h"

#include "RawFiles.h"
#include "TempDrive.h"

namespace {

bool WriteText(TempDrive &drive, const QByteArray &relative, const QByteArray &text)
{
    return drive.makeFile(relative) && WriteFile(drive.path(relative), text);
}

} // namespace

bool MakeTrash(TempDrive &drive)
{
    return drive.makeFile(kTrash + "/files/report 2.odt", 10)
           && WriteText(drive, kTrash + "/info/report 2.odt.trashinfo",
                        "[Trash Info]\nPath=/home/u/Documents/report%20final.odt\nDeletionDate=2026-12-01T10:11:12\n")
           && drive.makeFile(kTrash + "/files/proj/a.txt", 1) && drive.makeFile(kTrash + "/files/proj/sub/b.txt", 2)
           && drive.makeFile(kTrash + "/files/proj/sub/c.txt", 3) && drive.makeFolder(kTrash + "/files/proj/empty")
           && WriteText(drive, kTrash + "/info/proj.trashinfo",
                        "[Trash Info]\r\nPath=/home/u/proj\r\nDeletionDate=2026-12-02T08:00:00\r\n")
           && WriteText(drive, kTrash + "/info/ghost.trashinfo", "[Trash Info]\nPath=/home/u/ghost\n")
           && drive.makeFile(kTrash + "/files/lost.bin", 4)
           && WriteText(drive, kTrash + "/directorysizes", "5 1700000000 other\n6 1700000001 proj\n");
}
