#include "res/StringTable.h"

#include "res/ResourceIds.h"

#include <QHash>

namespace {

struct StringEntry
{
    int id;
    const char *text;
};

// Texts word for word, under their ids. Odd spellings, doubled and trailing
// spaces are the program's own and stay as they are; %s, %d and %lx are
// filled in by the callers.
constexpr StringEntry kStrings[] = {
    {IDS_ABOUT_MENU, "&About Brimvale..."},
    {IDS_PRODUCT_NAME, "Brimvale"},
    {IDS_METHOD_TITLE, "Method Selection"},
    {IDS_METHOD_DESCRIPTION, "     Choose the method you would like Brimvale to use to free disk space :"},
    {IDS_EXPRESS, "&Express"},
    {IDS_EXPRESS_DESCRIPTION, "Brimvale will search for temporary files, files in the Recycle Bin and temporary folders and commonly discardable files."},
    {IDS_CUSTOM, "Cu&stom"},
    {IDS_CUSTOM_DESCRIPTION, "Brimvale will search for files matching more criterions : location, name, extension, size, creation time, last modified time and last accessed time.\nFor advanced users."},
    {IDS_BACK, "&Back"},
    {IDS_NEXT, "&Next"},
    {IDS_HELP, "&Help"},
    {IDS_CLOSE, "&Close"},
    {IDS_CRITERIA_TITLE, "Criterions Selection"},
    {IDS_CRITERIA_DESCRIPTION, "     Choose the matching criterions you would like Brimvale to use to find the files that qualify as candidates for deletion, compression or moving :"},
    {IDS_CRITERION_NAME, "Na&me"},
    {IDS_CRITERION_EXTENSION, "&Extension"},
    {IDS_CRITERION_SIZE, "&Size"},
    {IDS_CRITERION_CREATION, "C&reation Time"},
    {IDS_CRITERION_MODIFIED, "Last Mo&dified Time"},
    {IDS_CRITERION_ACCESSED, "Last &Accessed Time"},
    {IDS_DRIVE_TITLE, "Drive Selection"},
    {IDS_DRIVE_DESCRIPTION, "     Select the drive on which you would like to get more free space:"},
    {IDS_NAME_TITLE, "Name Selection"},
    {IDS_NAME_DESCRIPTION, "     Enter the name(s) which you would like to match files to qualify as candidates to deletion, compression or moving. Wildcards are allowed.\n\n     Warning : File names must not have extensions !"},
    {IDS_ADD, "&Add"},
    {IDS_REMOVE, "&Remove"},
    {IDS_NAME_COLUMN, "Name"},
    {IDS_NEW_NAME, "New Name"},
    // The results page's description is this program's own wording.
    {IDS_RESULTS_DESCRIPTION, "     The files below qualify. Uncheck the ones you want to keep, then Delete the checked files for good, Move them to another folder, Compress them into a zip archive, or Eliminate them from the list.\n     Restart begins a new search."},
    {IDS_LOCATION_TITLE, "Location Selection"},
    {IDS_LOCATION_DESCRIPTION, "     Enter the name(s) which you would like to match folders where Brimvale will search for discardable files. Wildcards are allowed.\n\n     Warning : Brimvale will search for the discardable files ONLY in the matching folders !"},
    {IDS_FOLDER_COLUMN, "Folder"},
    {IDS_CRITERION_LOCATION, "&Location"},
    {IDS_NEW_FOLDER, "New Folder"},
    {IDS_EXTENSION_TITLE, "Extension Selection"},
    {IDS_EXTENSION_DESCRIPTION, "     Select the extension(s) which you would like to match files to qualify as candidates to deletion, compression or moving."},
    {IDS_EXTENSION_COLUMN, "Extension"},
    {IDS_NEW_EXTENSION, "New Extension"},
    {IDS_SIZE_TITLE, "Size Selection"},
    {IDS_SIZE_DESCRIPTION, "     Select the size which you would like to match files to qualify as candidates to deletion, compression or moving."},
    {IDS_LESS_THAN, "Less than"},
    {IDS_SIZE_BETWEEN, "Between"},
    {IDS_LARGER_THAN, "Larger than"},
    {IDS_CREATION_TITLE, "Creation Time Selection"},
    {IDS_CREATION_DESCRIPTION, "     Select the creation time which you would like to match files to qualify as candidates to deletion, compression or moving."},
    {IDS_OLDER_THAN, "Older than"},
    {IDS_TIME_BETWEEN, "Between"},
    {IDS_RECENT_THAN, "Recent than"},
    {IDS_AND, "and"},
    {IDS_MODIFIED_TITLE, "Last Modified Time Selection"},
    {IDS_MODIFIED_DESCRIPTION, "     Select the modification time which you would like to match files to qualify as candidates to deletion, compression or moving."},
    {IDS_ACCESSED_TITLE, "Last Accessed Time Selection"},
    {IDS_ACCESSED_DESCRIPTION, "     Select the last accessed time which you would like to match files to qualify as candidates to deletion, compression or moving."},
    {IDS_CANCEL, "&Cancel"},
    {IDS_DATE_FORMAT, "%x"},
    {IDS_CANT_CREATE_PATH, "Can't create the path \"%s\".\nPlease try another path."},
    {IDS_ZIP_DEFAULT_NAME, "Back-up.zip"},
    {IDS_ZIP_FILTER, "Zip Files (*.zip)|*.zip|All Files (*.*)|*.*||"},
    {IDS_ZIP_EXTENSION, "zip"},
    {IDS_ZIP_TITLE, "Save As Zip"},
    {IDS_DELETING, "Deleting ..."},
    {IDS_MOVING, "Moving ..."},
    {IDS_COMPRESSING, "Compressing ..."},
    {IDS_ELIMINATING, "Eliminating ..."},
    {IDS_OK, "&Ok"},
    {IDS_YES, "&Yes"},
    {IDS_NO, "&No"},
    {IDS_CONFIRM_DELETE, "\nAre you sure you want to permanently delete these files ?"},
    {IDS_CANT_LOAD_LIBRARY, "Can't load the library :\n%s\nVerify the existance and the integrity of the file."},
    {IDS_CANT_FIND_ENTRY, "Can't access the entry of the library :\n%s\nVerify the integrity of the file."},
    {IDS_COMPRESS_ERROR, "An error occured while compressing the file  :\n%s\nThe file wasn't compressed."},
    {IDS_DETAILS_MORE, "&Details >>"},
    {IDS_DETAILS_LESS, "&Details <<"},
    {IDS_DELETE_FAILED, "   Some files couldn't be deleted. They may be used by another application. You can eliminate them from the results list by pressing 'Eliminate'.\n   Press 'Details' to see the a list of these files now."},
    {IDS_MOVE_FAILED, "   Some files couldn't be moved. They may be used by another application. You can eliminate them from the results list by pressing 'Eliminate'.\n   Press 'Details' to see the a list of these files now."},
    {IDS_HELP_ERROR, "Error while trying to strart the help file .\nThe file \"BVHelp.chm\"  is missing or is corrupt, \nor your system doesn't support HTML help."},
    // Texts that had no number of their own.
    {IDS_RESTART, "&Restart"},
    {IDS_SELECTION_FORMAT, "Selected : %s in %d files"},
    {IDS_FREE_SPACE_FORMAT, "Current Free Space : %s"},
    {IDS_RESULTS_TITLE, "    Results "},
    {IDS_COLUMN_FILE, "File"},
    {IDS_COLUMN_LOCATION, "Location"},
    {IDS_COLUMN_SIZE, "Size"},
    {IDS_COLUMN_CREATED, "Created"},
    {IDS_COLUMN_MODIFIED, "Modified"},
    {IDS_COLUMN_ACCESSED, "Accessed"},
    {IDS_RESTARTING, "Restarting ..."},
    {IDS_MOVE, "&Move"},
    {IDS_DELETE, "&Delete"},
    {IDS_COMPRESS, "Com&press"},
    {IDS_ELIMINATE, "&Eliminate"},
    {IDS_ENTER_INTEGER, "Please enter an integer."},
    {IDS_SCAN, "Scan"},
    {IDS_KB, "KB"},
    {IDS_ABOUT_CAPTION, "About Brimvale"},
    {IDS_ABOUT_VERSION, "Brimvale  Version 1.21"},
    {IDS_ABOUT_LINE, "Disk clean-up wizard, 2026"},
    {IDS_VISIT_WEB_SITE, "Visit our web site :"},
    {IDS_WEB_ADDRESS, "https://brimvale.example.org/"},
    {IDS_ABOUT_OK, "&OK"},
    {IDS_SELECT_FOLDER, "Select Folder"},
    {IDS_PRESERVE_PATH, "&Preserve Path"},
    {IDS_MENU_OPEN_IN_FILE_MANAGER, "&Open in File Manager"},
    {IDS_MENU_NEW_FOLDER, "&New Folder"},
    {IDS_MENU_RENAME, "Rena&me"},
    {IDS_CONTEXT_MENU_FAILED, "GetUIObjectOf failed! hr=%lx"},
    {IDS_MENU_COMMAND_FAILED, "InvokeCommand failed. hr=%lx"},
    {IDS_LINK_ERROR, "Unable to open hyperlink:\n\n"},
    {IDS_LINK_OUT_OF_RESOURCES, "The operating system is out\nof memory or resources."},
    {IDS_LINK_FILE_NOT_FOUND, "The specified file was not found."},
    {IDS_LINK_PATH_NOT_FOUND, "The specified path was not found."},
    {IDS_LINK_ACCESS_DENIED, "The operating system denied\naccess to the specified file."},
    {IDS_LINK_OUT_OF_MEMORY, "There was not enough memory to complete the operation."},
    {IDS_LINK_BAD_FORMAT, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {IDS_LINK_SHARING_VIOLATION, "A sharing violation occurred. "},
    {IDS_LINK_ASSOC_INCOMPLETE, "The filename association is\nincomplete or invalid."},
    {IDS_LINK_DDE_TIMEOUT, "The DDE transaction could not\nbe completed because the request timed out."},
    {IDS_LINK_DDE_FAIL, "The DDE transaction failed."},
    {IDS_LINK_DDE_BUSY, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {IDS_LINK_NO_ASSOC, "There is no application associated\nwith the given filename extension."},
    {IDS_LINK_DLL_NOT_FOUND, "The specified dynamic-link library was not found."},
    {IDS_LINK_UNKNOWN_ERROR, "Unknown Error (%d) occurred."},
    {IDS_CLI_USAGE, "Usage:\n"
     "  brimvale-cli scan [CRITERIA] [OUTPUT] DRIVE\n"
     "  brimvale-cli delete [--dry-run] LIST\n"
     "  brimvale-cli move [--dry-run] [--preserve-path] LIST FOLDER\n"
     "  brimvale-cli zip [--dry-run] LIST ARCHIVE\n"
     "  brimvale-cli --help | --version\n"
     "\n"
     "Lists the files of the folder DRIVE (walked as a drive root, staying on its\n"
     "file system) that meet the criteria, and acts on a saved list of them.\n"
     "\n"
     "Criteria (scan):\n"
     "  --express                   commonly discardable files (the default)\n"
     "  --location PAT              a folder on the path matches PAT (repeatable)\n"
     "  --name PAT                  the name without its last extension matches PAT (repeatable)\n"
     "  --ext PAT                   the text after the first dot of the name matches PAT (repeatable)\n"
     "  --size less|between|larger KB [KB]\n"
     "                              size in thousands of bytes; between takes two values\n"
     "  --created older|between|recent DATE [DATE]\n"
     "                              creation date, DATE as YYYY-MM-DD; between takes two\n"
     "  --modified older|between|recent DATE [DATE]\n"
     "                              last modification date, as --created\n"
     "  --accessed older|between|recent DATE [DATE]\n"
     "                              last access date, as --created\n"
     "  Each Custom criterion switches Express off; all given criteria must match.\n"
     "  PAT may hold * (any run of characters) and ? (one character); case is ignored.\n"
     "\n"
     "Output (scan):\n"
     "  (default)                   path, size in bytes, modification time and why the file\n"
     "                              is listed, tab-separated; \\\\, \\t, \\n, \\r and \\xHH escape\n"
     "                              unusual bytes in the path and the reason\n"
     "  --format lines|csv          csv: comma-separated values with a header row, the columns\n"
     "                              file, folder, size, allocated, created, modified, accessed,\n"
     "                              reason, checked (times in UTC), as the results page saves\n"
     "  --print0                    only the raw paths, each followed by a NUL byte\n"
     "  --sort file|location|size|created|modified|accessed|reason\n"
     "                              order of the list (default: the order of the walk)\n"
     "  --reverse                   the sort in descending order\n"
     "  --summary                   counts, bytes, unreadable folders and free space on stderr\n"
     "  --save LIST                 also write LIST, the files and their identities, for an action\n"
     "\n"
     "Actions (on a LIST written by scan --save):\n"
     "  --dry-run                   print what would be done, change nothing\n"
     "  --preserve-path             move: rebuild each file's folders below FOLDER\n"
     "\n"
     "Every file is checked to be the one the scan saw before it is touched; a file\n"
     "changed since, or protected, is left alone and reported on stderr.\n"
     "\n"
     "Exit status: 0 all done, 1 some files failed, 2 bad usage or a bad list\n"
     "(nothing touched).\n"
     "\n"
     "  --help                      show this help\n"
     "  --version                   show the version"},
    {IDS_CLI_VERSION, "brimvale-cli %s"},
    {IDS_CLI_TRY_HELP, "Try 'brimvale-cli --help' for more information."},
    {IDS_CLI_UNKNOWN_OPTION, "unknown option %s"},
    {IDS_CLI_MISSING_ARGUMENT, "option %s needs %s"},
    {IDS_CLI_BAD_CHOICE, "option %s takes %s, not '%s'"},
    {IDS_CLI_BAD_DATE, "option %s: '%s' is not a real date of the form YYYY-MM-DD"},
    {IDS_CLI_BAD_SIZE, "option %s: '%s' is not a whole number of KB from 0 to 2147483647"},
    {IDS_CLI_NO_COMMAND, "no command given"},
    {IDS_CLI_UNKNOWN_COMMAND, "unknown command '%s'"},
    {IDS_CLI_OPERANDS, "%s takes %s"},
    {IDS_CLI_EXPRESS_AND_CUSTOM, "--express cannot be combined with the Custom criteria"},
    {IDS_CLI_NOT_A_FOLDER, "%s: not a folder"},
    {IDS_CLI_NO_SUCH_PATH, "%s: %s"},
    {IDS_CLI_LIST_UNREADABLE, "%s: cannot read the list: %s"},
    {IDS_CLI_LIST_NOT_A_LIST, "%s: not a list written by 'brimvale-cli scan --save'"},
    {IDS_CLI_LIST_VERSION, "%s: list format version '%s' cannot be read by this build (it reads version %d)"},
    {IDS_CLI_LIST_BAD_LINE, "%s: line %d is not a valid list line"},
    {IDS_CLI_LIST_TRUNCATED, "%s: the list is incomplete (its closing line is missing)"},
    {IDS_CLI_LIST_OUTSIDE_ROOT, "%s: line %d names a file outside the list's drive root %s"},
    {IDS_CLI_LIST_DUPLICATE, "%s: line %d names a file listed before"},
    {IDS_CLI_ARCHIVE_LISTED, "%s: the archive is one of the listed files"},
    {IDS_CLI_MOVE_UNAVAILABLE, "move is not available in this build"},
    {IDS_CLI_ZIP_UNAVAILABLE, "zip is not available in this build"},
    {IDS_CLI_SAVE_REFUSED, "%s: exists and is not a list; it was left as it is"},
    {IDS_CLI_SAVE_FAILED, "%s: cannot write the list: %s"},
    {IDS_CLI_OUTPUT_FAILED, "cannot write the output: %s"},
    {IDS_CLI_REASON_GONE, "no longer exists"},
    {IDS_CLI_REASON_REPLACED, "changed since the scan"},
    {IDS_CLI_REASON_PERMISSION, "permission denied"},
    {IDS_CLI_REASON_PROTECTED, "protected"},
    {IDS_CLI_REASON_DESTINATION_TAKEN, "the destination already exists"},
    {IDS_CLI_FILE_FAILED, "%s: %s"},
    {IDS_CLI_PROGRESS, "%d files examined, %d matches, %d files/s"},
    {IDS_CLI_SUMMARY_EXAMINED, "Files examined : %d"},
    {IDS_CLI_SUMMARY_LISTED, "Files listed : %d (%d bytes)"},
    {IDS_CLI_SUMMARY_UNREADABLE, "Folders that could not be read : %d"},
    {IDS_CLI_SUMMARY_PROTECTED, "Protected files left out : %d"},
    {IDS_CLI_ARCHIVE_IS_FOLDER, "%s: the archive's name is taken by a folder"},
    {IDS_CLI_ACTION_DONE, "%s: %d done, %d failed"},
    {IDS_CLI_EMPTY_PATTERN, "option %s needs a pattern that is not empty"},
    // Protection texts are this program's own wording.
    {IDS_PROTECTED_LEFT_OUT, "Left out as protected : %d files (%s)"},
    {IDS_PROTECTED_LOCKED, "Locked as protected : %d files (%s)"},
    {IDS_PROTECTED_REASON_COUNT, "%s %d"},
    {IDS_PROTECTED_PACKAGE, "owned by packages"},
    {IDS_PROTECTED_IN_USE, "in use"},
    {IDS_PROTECTED_FOLDER, "protected folder"},
    {IDS_PROTECTED_UNREADABLE, "open files of %d processes could not be read"},
    {IDS_PROTECTED_UNREADABLE_ONE, "open files of 1 process could not be read"},
    {IDS_PROTECTED_TOOLTIP, "Protected (%s): this file cannot be checked"},
    {IDS_SKIPPED_ONE_FOLDER, "1 folder could not be read; its files were not searched."},
    {IDS_SKIPPED_FOLDERS, "%d folders could not be read; their files were not searched."},
    {IDS_FREES_ABOUT, "frees about %s"},
    {IDS_REASON_OK, "Done."},
    {IDS_REASON_GONE, "The file no longer exists."},
    {IDS_REASON_REPLACED, "Another file or a link now stands in its place."},
    {IDS_REASON_PERMISSION, "Permission denied."},
    {IDS_REASON_FAILED, "The system refused: %s"},
    {IDS_REASON_CHANGED, "The file has changed since the scan."},
    {IDS_REASON_LEFT_ASIDE, "The file was set aside and could not be put back under its name."},
    {IDS_REASON_ALREADY_THERE, "The file is already there."},
    {IDS_TREE_OPEN_IN_FILE_MANAGER, "Open in File Manager"},
    {IDS_TREE_NEW_FOLDER, "New Folder"},
    {IDS_TREE_RENAME, "Rename"},
    {IDS_TREE_CANT_CREATE, "Can't create the folder \"%s\".\n%s"},
    {IDS_TREE_CANT_RENAME, "Can't rename \"%s\".\n%s"},
    {IDS_ZIP_RENAMED_ONE, "1 file was stored under a numbered name, such as \"name (2).ext\": the archive already held another file of its name."},
    {IDS_ZIP_RENAMED, "%d files were stored under numbered names, such as \"name (2).ext\": the archive already held other files of their names."},
    {IDS_TREE_NAME_NOT_TEXT, "Its name holds bytes that are not text: they can be kept, but not typed."},
    {IDS_COLUMN_REASON, "Reason"},
    {IDS_MENU_CHECK_REASON, "Check all with this reason"},
    {IDS_MENU_UNCHECK_REASON, "Uncheck all with this reason"},
    {IDS_MENU_REASONS, "Reasons..."},
    {IDS_MENU_SAVE_LIST, "Save List..."},
    {IDS_WHY_FOLDER, "Folder \"%s\": %s"},
    {IDS_WHY_NAME, "Name \"%s\""},
    {IDS_WHY_EXTENSION, "Extension \"%s\""},
    {IDS_WHY_SIZE_AT_MOST, "Size at most %s"},
    {IDS_WHY_SIZE_BETWEEN, "Size between %s and %s"},
    {IDS_WHY_SIZE_AT_LEAST, "Size at least %s"},
    {IDS_WHY_TIME_BEFORE, "%s on or before %s"},
    {IDS_WHY_TIME_BETWEEN, "%s between %s and %s"},
    {IDS_WHY_TIME_AFTER, "%s on or after %s"},
    {IDS_WHY_PROTECTED, "Protected: %s"},
    {IDS_REASONS_TITLE, "Reasons"},
    {IDS_REASONS_FILES, "Files"},
    {IDS_REASONS_FREES, "Frees"},
    {IDS_REASONS_CHECK, "C&heck"},
    {IDS_REASONS_UNCHECK, "&Uncheck"},
    {IDS_SAVE_LIST_FAILED, "Can't save the list to \"%s\".\n%s"},
    {IDS_UNDO_MOVE, "&Undo Move"},
    {IDS_UNDOING_MOVE, "Moving back ..."},
    {IDS_UNDO_MOVE_FAILED, "   Some files couldn't be moved back. They were changed or replaced where they were moved to, or their old place is taken. They stay where they are.\n   Press 'Details' to see the a list of these files now."},
};

const QHash<int, QString> &table()
{
    static const QHash<int, QString> strings = [] {
        QHash<int, QString> map;
        for (const StringEntry &entry : kStrings)
            map.insert(entry.id, QString::fromUtf8(entry.text));
        return map;
    }();
    return strings;
}

} // namespace

QString LoadString(int id)
{
    return table().value(id);
}
