#include "res/StringTable.h"

#include "res/ResourceIds.h"

#include <QCoreApplication>
#include <QHash>

namespace {

struct StringEntry
{
    int id;
    const char *text;
    bool translated = true;
};

constexpr bool kEnglishOnly = false;

// Texts word for word, under their ids. Odd spellings, doubled and trailing
// spaces are the program's own and stay as they are; %s, %d and %lx are
// filled in by the callers. The wizard's texts are marked for translation
// (lupdate collects them under the context "StringTable"); the command line's
// stay English, as scripts and its manual page read them.
constexpr StringEntry kStrings[] = {
    {IDS_ABOUT_MENU, QT_TRANSLATE_NOOP("StringTable", "&About Brimvale...")},
    {IDS_PRODUCT_NAME, QT_TRANSLATE_NOOP("StringTable", "Brimvale")},
    {IDS_METHOD_TITLE, QT_TRANSLATE_NOOP("StringTable", "Method Selection")},
    {IDS_METHOD_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Choose the method you would like Brimvale to use to free disk space :")},
    {IDS_EXPRESS, QT_TRANSLATE_NOOP("StringTable", "&Express")},
    {IDS_EXPRESS_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "Brimvale will search for temporary files, files in the Recycle Bin and temporary folders and commonly discardable files.")},
    {IDS_CUSTOM, QT_TRANSLATE_NOOP("StringTable", "Cu&stom")},
    {IDS_CUSTOM_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "Brimvale will search for files matching more criterions : location, name, extension, size, creation time, last modified time and last accessed time.\nFor advanced users.")},
    {IDS_BACK, QT_TRANSLATE_NOOP("StringTable", "&Back")},
    {IDS_NEXT, QT_TRANSLATE_NOOP("StringTable", "&Next")},
    {IDS_HELP, QT_TRANSLATE_NOOP("StringTable", "&Help")},
    {IDS_CLOSE, QT_TRANSLATE_NOOP("StringTable", "&Close")},
    {IDS_CRITERIA_TITLE, QT_TRANSLATE_NOOP("StringTable", "Criterions Selection")},
    {IDS_CRITERIA_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Choose the matching criterions you would like Brimvale to use to find the files that qualify as candidates for deletion, compression or moving :")},
    {IDS_CRITERION_NAME, QT_TRANSLATE_NOOP("StringTable", "Na&me")},
    {IDS_CRITERION_EXTENSION, QT_TRANSLATE_NOOP("StringTable", "&Extension")},
    {IDS_CRITERION_SIZE, QT_TRANSLATE_NOOP("StringTable", "&Size")},
    {IDS_CRITERION_CREATION, QT_TRANSLATE_NOOP("StringTable", "C&reation Time")},
    {IDS_CRITERION_MODIFIED, QT_TRANSLATE_NOOP("StringTable", "Last Mo&dified Time")},
    {IDS_CRITERION_ACCESSED, QT_TRANSLATE_NOOP("StringTable", "Last &Accessed Time")},
    {IDS_DRIVE_TITLE, QT_TRANSLATE_NOOP("StringTable", "Drive Selection")},
    {IDS_DRIVE_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the drive on which you would like to get more free space:")},
    {IDS_NAME_TITLE, QT_TRANSLATE_NOOP("StringTable", "Name Selection")},
    {IDS_NAME_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Enter the name(s) which you would like to match files to qualify as candidates to deletion, compression or moving. Wildcards are allowed.\n\n     Warning : File names must not have extensions !")},
    {IDS_ADD, QT_TRANSLATE_NOOP("StringTable", "&Add")},
    {IDS_REMOVE, QT_TRANSLATE_NOOP("StringTable", "&Remove")},
    {IDS_NAME_COLUMN, QT_TRANSLATE_NOOP("StringTable", "Name")},
    {IDS_NEW_NAME, QT_TRANSLATE_NOOP("StringTable", "New Name")},
    // The results page's description is this program's own wording.
    {IDS_RESULTS_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     The files below qualify. Uncheck the ones you want to keep, then Delete the checked files for good, Move them to another folder, Compress them into a zip archive, or Eliminate them from the list.\n     Restart begins a new search.")},
    {IDS_LOCATION_TITLE, QT_TRANSLATE_NOOP("StringTable", "Location Selection")},
    {IDS_LOCATION_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Enter the name(s) which you would like to match folders where Brimvale will search for discardable files. Wildcards are allowed.\n\n     Warning : Brimvale will search for the discardable files ONLY in the matching folders !")},
    {IDS_FOLDER_COLUMN, QT_TRANSLATE_NOOP("StringTable", "Folder")},
    {IDS_CRITERION_LOCATION, QT_TRANSLATE_NOOP("StringTable", "&Location")},
    {IDS_NEW_FOLDER, QT_TRANSLATE_NOOP("StringTable", "New Folder")},
    {IDS_EXTENSION_TITLE, QT_TRANSLATE_NOOP("StringTable", "Extension Selection")},
    {IDS_EXTENSION_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the extension(s) which you would like to match files to qualify as candidates to deletion, compression or moving.")},
    {IDS_EXTENSION_COLUMN, QT_TRANSLATE_NOOP("StringTable", "Extension")},
    {IDS_NEW_EXTENSION, QT_TRANSLATE_NOOP("StringTable", "New Extension")},
    {IDS_SIZE_TITLE, QT_TRANSLATE_NOOP("StringTable", "Size Selection")},
    {IDS_SIZE_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the size which you would like to match files to qualify as candidates to deletion, compression or moving.")},
    {IDS_LESS_THAN, QT_TRANSLATE_NOOP("StringTable", "Less than")},
    {IDS_SIZE_BETWEEN, QT_TRANSLATE_NOOP("StringTable", "Between")},
    {IDS_LARGER_THAN, QT_TRANSLATE_NOOP("StringTable", "Larger than")},
    {IDS_CREATION_TITLE, QT_TRANSLATE_NOOP("StringTable", "Creation Time Selection")},
    {IDS_CREATION_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the creation time which you would like to match files to qualify as candidates to deletion, compression or moving.")},
    {IDS_OLDER_THAN, QT_TRANSLATE_NOOP("StringTable", "Older than")},
    {IDS_TIME_BETWEEN, QT_TRANSLATE_NOOP("StringTable", "Between")},
    {IDS_RECENT_THAN, QT_TRANSLATE_NOOP("StringTable", "Recent than")},
    {IDS_AND, QT_TRANSLATE_NOOP("StringTable", "and")},
    {IDS_MODIFIED_TITLE, QT_TRANSLATE_NOOP("StringTable", "Last Modified Time Selection")},
    {IDS_MODIFIED_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the modification time which you would like to match files to qualify as candidates to deletion, compression or moving.")},
    {IDS_ACCESSED_TITLE, QT_TRANSLATE_NOOP("StringTable", "Last Accessed Time Selection")},
    {IDS_ACCESSED_DESCRIPTION, QT_TRANSLATE_NOOP("StringTable", "     Select the last accessed time which you would like to match files to qualify as candidates to deletion, compression or moving.")},
    {IDS_CANCEL, QT_TRANSLATE_NOOP("StringTable", "&Cancel")},
    {IDS_DATE_FORMAT, QT_TRANSLATE_NOOP("StringTable", "%x")},
    {IDS_CANT_CREATE_PATH, QT_TRANSLATE_NOOP("StringTable", "Can't create the path \"%s\".\nPlease try another path.")},
    {IDS_ZIP_DEFAULT_NAME, QT_TRANSLATE_NOOP("StringTable", "Back-up.zip")},
    {IDS_ZIP_FILTER, QT_TRANSLATE_NOOP("StringTable", "Zip Files (*.zip)|*.zip|All Files (*.*)|*.*||")},
    {IDS_ZIP_EXTENSION, QT_TRANSLATE_NOOP("StringTable", "zip")},
    {IDS_ZIP_TITLE, QT_TRANSLATE_NOOP("StringTable", "Save As Zip")},
    {IDS_DELETING, QT_TRANSLATE_NOOP("StringTable", "Deleting ...")},
    {IDS_MOVING, QT_TRANSLATE_NOOP("StringTable", "Moving ...")},
    {IDS_COMPRESSING, QT_TRANSLATE_NOOP("StringTable", "Compressing ...")},
    {IDS_ELIMINATING, QT_TRANSLATE_NOOP("StringTable", "Eliminating ...")},
    {IDS_OK, QT_TRANSLATE_NOOP("StringTable", "&Ok")},
    {IDS_YES, QT_TRANSLATE_NOOP("StringTable", "&Yes")},
    {IDS_NO, QT_TRANSLATE_NOOP("StringTable", "&No")},
    {IDS_CONFIRM_DELETE, QT_TRANSLATE_NOOP("StringTable", "\nAre you sure you want to permanently delete these files ?")},
    {IDS_CANT_LOAD_LIBRARY, QT_TRANSLATE_NOOP("StringTable", "Can't load the library :\n%s\nVerify the existance and the integrity of the file.")},
    {IDS_CANT_FIND_ENTRY, QT_TRANSLATE_NOOP("StringTable", "Can't access the entry of the library :\n%s\nVerify the integrity of the file.")},
    {IDS_COMPRESS_ERROR, QT_TRANSLATE_NOOP("StringTable", "An error occured while compressing the file  :\n%s\nThe file wasn't compressed.")},
    {IDS_DETAILS_MORE, QT_TRANSLATE_NOOP("StringTable", "&Details >>")},
    {IDS_DETAILS_LESS, QT_TRANSLATE_NOOP("StringTable", "&Details <<")},
    {IDS_DELETE_FAILED, QT_TRANSLATE_NOOP("StringTable", "   Some files couldn't be deleted. They may be used by another application. You can eliminate them from the results list by pressing 'Eliminate'.\n   Press 'Details' to see the a list of these files now.")},
    {IDS_MOVE_FAILED, QT_TRANSLATE_NOOP("StringTable", "   Some files couldn't be moved. They may be used by another application. You can eliminate them from the results list by pressing 'Eliminate'.\n   Press 'Details' to see the a list of these files now.")},
    {IDS_HELP_ERROR, QT_TRANSLATE_NOOP("StringTable", "Error while trying to strart the help file .\nThe file \"BVHelp.chm\"  is missing or is corrupt, \nor your system doesn't support HTML help.")},
    // Texts that had no number of their own.
    {IDS_RESTART, QT_TRANSLATE_NOOP("StringTable", "&Restart")},
    {IDS_SELECTION_FORMAT, QT_TRANSLATE_NOOP("StringTable", "Selected : %s in %d files")},
    {IDS_FREE_SPACE_FORMAT, QT_TRANSLATE_NOOP("StringTable", "Current Free Space : %s")},
    {IDS_RESULTS_TITLE, QT_TRANSLATE_NOOP("StringTable", "    Results ")},
    {IDS_COLUMN_FILE, QT_TRANSLATE_NOOP("StringTable", "File")},
    {IDS_COLUMN_LOCATION, QT_TRANSLATE_NOOP("StringTable", "Location")},
    {IDS_COLUMN_SIZE, QT_TRANSLATE_NOOP("StringTable", "Size")},
    {IDS_COLUMN_CREATED, QT_TRANSLATE_NOOP("StringTable", "Created")},
    {IDS_COLUMN_MODIFIED, QT_TRANSLATE_NOOP("StringTable", "Modified")},
    {IDS_COLUMN_ACCESSED, QT_TRANSLATE_NOOP("StringTable", "Accessed")},
    {IDS_RESTARTING, QT_TRANSLATE_NOOP("StringTable", "Restarting ...")},
    {IDS_MOVE, QT_TRANSLATE_NOOP("StringTable", "&Move")},
    {IDS_DELETE, QT_TRANSLATE_NOOP("StringTable", "&Delete")},
    {IDS_COMPRESS, QT_TRANSLATE_NOOP("StringTable", "Com&press")},
    {IDS_ELIMINATE, QT_TRANSLATE_NOOP("StringTable", "&Eliminate")},
    {IDS_ENTER_INTEGER, QT_TRANSLATE_NOOP("StringTable", "Please enter an integer.")},
    {IDS_SCAN, QT_TRANSLATE_NOOP("StringTable", "Scan")},
    {IDS_KB, QT_TRANSLATE_NOOP("StringTable", "KB")},
    {IDS_ABOUT_CAPTION, QT_TRANSLATE_NOOP("StringTable", "About Brimvale")},
    {IDS_ABOUT_VERSION, QT_TRANSLATE_NOOP("StringTable", "Brimvale  Version 1.21")},
    {IDS_ABOUT_LINE, QT_TRANSLATE_NOOP("StringTable", "Disk clean-up wizard, 2026")},
    {IDS_VISIT_WEB_SITE, QT_TRANSLATE_NOOP("StringTable", "Visit our web site :")},
    {IDS_WEB_ADDRESS, QT_TRANSLATE_NOOP("StringTable", "https://brimvale.example.org/")},
    {IDS_ABOUT_OK, QT_TRANSLATE_NOOP("StringTable", "&OK")},
    {IDS_SELECT_FOLDER, QT_TRANSLATE_NOOP("StringTable", "Select Folder")},
    {IDS_PRESERVE_PATH, QT_TRANSLATE_NOOP("StringTable", "&Preserve Path")},
    {IDS_CONTEXT_MENU_FAILED, QT_TRANSLATE_NOOP("StringTable", "GetUIObjectOf failed! hr=%lx")},
    {IDS_MENU_COMMAND_FAILED, QT_TRANSLATE_NOOP("StringTable", "InvokeCommand failed. hr=%lx")},
    {IDS_LINK_ERROR, QT_TRANSLATE_NOOP("StringTable", "Unable to open hyperlink:\n\n")},
    {IDS_LINK_OUT_OF_RESOURCES, QT_TRANSLATE_NOOP("StringTable", "The operating system is out\nof memory or resources.")},
    {IDS_LINK_FILE_NOT_FOUND, QT_TRANSLATE_NOOP("StringTable", "The specified file was not found.")},
    {IDS_LINK_PATH_NOT_FOUND, QT_TRANSLATE_NOOP("StringTable", "The specified path was not found.")},
    {IDS_LINK_ACCESS_DENIED, QT_TRANSLATE_NOOP("StringTable", "The operating system denied\naccess to the specified file.")},
    {IDS_LINK_OUT_OF_MEMORY, QT_TRANSLATE_NOOP("StringTable", "There was not enough memory to complete the operation.")},
    {IDS_LINK_BAD_FORMAT, QT_TRANSLATE_NOOP("StringTable", "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).")},
    {IDS_LINK_SHARING_VIOLATION, QT_TRANSLATE_NOOP("StringTable", "A sharing violation occurred. ")},
    {IDS_LINK_ASSOC_INCOMPLETE, QT_TRANSLATE_NOOP("StringTable", "The filename association is\nincomplete or invalid.")},
    {IDS_LINK_DDE_TIMEOUT, QT_TRANSLATE_NOOP("StringTable", "The DDE transaction could not\nbe completed because the request timed out.")},
    {IDS_LINK_DDE_FAIL, QT_TRANSLATE_NOOP("StringTable", "The DDE transaction failed.")},
    {IDS_LINK_DDE_BUSY, QT_TRANSLATE_NOOP("StringTable", "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.")},
    {IDS_LINK_NO_ASSOC, QT_TRANSLATE_NOOP("StringTable", "There is no application associated\nwith the given filename extension.")},
    {IDS_LINK_DLL_NOT_FOUND, QT_TRANSLATE_NOOP("StringTable", "The specified dynamic-link library was not found.")},
    {IDS_LINK_UNKNOWN_ERROR, QT_TRANSLATE_NOOP("StringTable", "Unknown Error (%d) occurred.")},
    {IDS_CLI_VERSION, "brimvale-cli %s", kEnglishOnly},
    {IDS_CLI_TRY_HELP, "Try 'brimvale-cli --help' for more information.", kEnglishOnly},
    {IDS_CLI_UNKNOWN_OPTION, "unknown option %s", kEnglishOnly},
    {IDS_CLI_MISSING_ARGUMENT, "option %s needs %s", kEnglishOnly},
    {IDS_CLI_BAD_CHOICE, "option %s takes %s, not '%s'", kEnglishOnly},
    {IDS_CLI_BAD_DATE, "option %s: '%s' is not a real date of the form YYYY-MM-DD", kEnglishOnly},
    {IDS_CLI_BAD_SIZE, "option %s: '%s' is not a whole number of KB from 0 to 2147483647", kEnglishOnly},
    {IDS_CLI_NO_COMMAND, "no command given", kEnglishOnly},
    {IDS_CLI_UNKNOWN_COMMAND, "unknown command '%s'", kEnglishOnly},
    {IDS_CLI_OPERANDS, "%s takes %s", kEnglishOnly},
    {IDS_CLI_EXPRESS_AND_CUSTOM, "--express cannot be combined with the Custom criteria", kEnglishOnly},
    {IDS_CLI_NOT_A_FOLDER, "%s: not a folder", kEnglishOnly},
    {IDS_CLI_NO_SUCH_PATH, "%s: %s", kEnglishOnly},
    {IDS_CLI_LIST_UNREADABLE, "%s: cannot read the list: %s", kEnglishOnly},
    {IDS_CLI_LIST_NOT_A_LIST, "%s: not a list written by 'brimvale-cli scan --save'", kEnglishOnly},
    {IDS_CLI_LIST_VERSION, "%s: list format version '%s' cannot be read by this build (it reads version %d)", kEnglishOnly},
    {IDS_CLI_LIST_BAD_LINE, "%s: line %d is not a valid list line", kEnglishOnly},
    {IDS_CLI_LIST_TRUNCATED, "%s: the list is incomplete (its closing line is missing)", kEnglishOnly},
    {IDS_CLI_LIST_OUTSIDE_ROOT, "%s: line %d names a file outside the list's drive root %s", kEnglishOnly},
    {IDS_CLI_LIST_DUPLICATE, "%s: line %d names a file listed before", kEnglishOnly},
    {IDS_CLI_ARCHIVE_LISTED, "%s: the archive is one of the listed files", kEnglishOnly},
    {IDS_CLI_SAVE_REFUSED, "%s: exists and is not a list; it was left as it is", kEnglishOnly},
    {IDS_CLI_SAVE_FAILED, "%s: cannot write the list: %s", kEnglishOnly},
    {IDS_CLI_OUTPUT_FAILED, "cannot write the output: %s", kEnglishOnly},
    {IDS_CLI_REASON_GONE, "no longer exists", kEnglishOnly},
    {IDS_CLI_REASON_REPLACED, "changed since the scan", kEnglishOnly},
    {IDS_CLI_REASON_PERMISSION, "permission denied", kEnglishOnly},
    {IDS_CLI_REASON_PROTECTED, "protected", kEnglishOnly},
    {IDS_CLI_REASON_DESTINATION_TAKEN, "the destination already exists", kEnglishOnly},
    {IDS_CLI_FILE_FAILED, "%s: %s", kEnglishOnly},
    {IDS_CLI_PROGRESS, "%d files examined, %d matches, %d files/s", kEnglishOnly},
    {IDS_CLI_SUMMARY_EXAMINED, "Files examined : %d", kEnglishOnly},
    {IDS_CLI_SUMMARY_LISTED, "Files listed : %d (%d bytes)", kEnglishOnly},
    {IDS_CLI_SUMMARY_UNREADABLE, "Folders that could not be read : %d", kEnglishOnly},
    {IDS_CLI_SUMMARY_PROTECTED, "Protected files left out : %d", kEnglishOnly},
    {IDS_CLI_ARCHIVE_IS_FOLDER, "%s: the archive's name is taken by a folder", kEnglishOnly},
    {IDS_CLI_ACTION_DONE, "%s: %d done, %d failed", kEnglishOnly},
    {IDS_CLI_EMPTY_PATTERN, "option %s needs a pattern that is not empty", kEnglishOnly},
    {IDS_CLI_RECOVERED, "an interrupted action was put right: %d files put back, %d moves finished, %d partial files removed", kEnglishOnly},
    {IDS_CLI_RECOVERED_RENAMED, "%s: put back under this name, its own name being taken", kEnglishOnly},
    {IDS_CLI_RECOVER_LEFT, "%s: set aside by an interrupted action and not found again", kEnglishOnly},
    {IDS_CLI_RECOVER_NOTHING, "nothing to put right", kEnglishOnly},
    {IDS_CLI_ARCHIVE_NOT_ZIP, "%s: not a zip archive; it was left as it is", kEnglishOnly},
    {IDS_ARCHIVE_NOT_ZIP, QT_TRANSLATE_NOOP("StringTable", "The file \"%s\" is not a zip archive.\nIt was left as it is. Please choose another name.")},
    {IDS_CLI_BAD_NOW, "BRIMVALE_NOW is not an ISO 8601 date and time: %s", kEnglishOnly},
    // Protection texts are this program's own wording.
    {IDS_PROTECTED_LEFT_OUT, QT_TRANSLATE_NOOP("StringTable", "Left out as protected : %d files (%s)")},
    {IDS_PROTECTED_LOCKED, QT_TRANSLATE_NOOP("StringTable", "Locked as protected : %d files (%s)")},
    {IDS_PROTECTED_REASON_COUNT, QT_TRANSLATE_NOOP("StringTable", "%s %d")},
    {IDS_PROTECTED_PACKAGE, QT_TRANSLATE_NOOP("StringTable", "owned by packages")},
    {IDS_PROTECTED_IN_USE, QT_TRANSLATE_NOOP("StringTable", "in use")},
    {IDS_PROTECTED_FOLDER, QT_TRANSLATE_NOOP("StringTable", "protected folder")},
    {IDS_PROTECTED_UNREADABLE, QT_TRANSLATE_NOOP("StringTable", "open files of %d processes could not be read")},
    {IDS_PROTECTED_UNREADABLE_ONE, QT_TRANSLATE_NOOP("StringTable", "open files of 1 process could not be read")},
    {IDS_PROTECTED_TOOLTIP, QT_TRANSLATE_NOOP("StringTable", "Protected (%s): this file cannot be checked")},
    {IDS_PROTECTED_BACKUP, QT_TRANSLATE_NOOP("StringTable", "backup")},
    {IDS_PROTECTED_DESKTOP, QT_TRANSLATE_NOOP("StringTable", "desktop session")},
    {IDS_PROTECTED_NEEDS_ADMIN, QT_TRANSLATE_NOOP("StringTable", "needs administrator rights")},
    {IDS_PROTECTED_IMMUTABLE, QT_TRANSLATE_NOOP("StringTable", "immutable")},
    {IDS_NOT_REMOVABLE_LEFT_OUT, QT_TRANSLATE_NOOP("StringTable", "%d files you may not remove were left out")},
    {IDS_LIVE_LEFT_UNCHECKED, QT_TRANSLATE_NOOP("StringTable", "Left unchecked as in use : %d files (changed in the last %d hours)")},
    {IDS_WHY_LIVE_HOURS, QT_TRANSLATE_NOOP("StringTable", "In use: changed %d hours ago")},
    {IDS_WHY_LIVE_ONE_HOUR, QT_TRANSLATE_NOOP("StringTable", "In use: changed 1 hour ago")},
    {IDS_WHY_LIVE_RECENT, QT_TRANSLATE_NOOP("StringTable", "In use: changed less than an hour ago")},
    {IDS_SKIPPED_ONE_FOLDER, QT_TRANSLATE_NOOP("StringTable", "1 folder could not be read; its files were not searched.")},
    {IDS_SKIPPED_FOLDERS, QT_TRANSLATE_NOOP("StringTable", "%d folders could not be read; their files were not searched.")},
    {IDS_FREES_ABOUT, QT_TRANSLATE_NOOP("StringTable", "frees about %s")},
    {IDS_FREES_ABOUT_UP_TO, QT_TRANSLATE_NOOP("StringTable", "frees about %s (up to %s)")},
    {IDS_HELD_BY_DELETED, QT_TRANSLATE_NOOP("StringTable", "%s are held by deleted files that are still open: %s")},
    {IDS_SNAPSHOTS_KEEP, QT_TRANSLATE_NOOP("StringTable", "Snapshots of this drive keep some of this space until they are removed.")},
    {IDS_REASONS_SHARED, QT_TRANSLATE_NOOP("StringTable", "Shared")},
    {IDS_WHY_SHARED, QT_TRANSLATE_NOOP("StringTable", "%s of its data is shared with other files or snapshots")},
    {IDS_REASON_OK, QT_TRANSLATE_NOOP("StringTable", "Done.")},
    {IDS_REASON_GONE, QT_TRANSLATE_NOOP("StringTable", "The file no longer exists.")},
    {IDS_REASON_REPLACED, QT_TRANSLATE_NOOP("StringTable", "Another file or a link now stands in its place.")},
    {IDS_REASON_PERMISSION, QT_TRANSLATE_NOOP("StringTable", "Permission denied.")},
    {IDS_REASON_FAILED, QT_TRANSLATE_NOOP("StringTable", "The system refused: %s")},
    {IDS_REASON_CHANGED, QT_TRANSLATE_NOOP("StringTable", "The file has changed since the scan.")},
    {IDS_REASON_LEFT_ASIDE, QT_TRANSLATE_NOOP("StringTable", "The file was set aside and could not be put back under its name.")},
    {IDS_REASON_ALREADY_THERE, QT_TRANSLATE_NOOP("StringTable", "The file is already there.")},
    {IDS_TREE_OPEN_IN_FILE_MANAGER, QT_TRANSLATE_NOOP("StringTable", "Open in File Manager")},
    {IDS_TREE_NEW_FOLDER, QT_TRANSLATE_NOOP("StringTable", "New Folder")},
    {IDS_TREE_RENAME, QT_TRANSLATE_NOOP("StringTable", "Rename")},
    {IDS_TREE_CANT_CREATE, QT_TRANSLATE_NOOP("StringTable", "Can't create the folder \"%s\".\n%s")},
    {IDS_TREE_CANT_RENAME, QT_TRANSLATE_NOOP("StringTable", "Can't rename \"%s\".\n%s")},
    {IDS_ZIP_RENAMED_ONE, QT_TRANSLATE_NOOP("StringTable", "1 file was stored under a numbered name, such as \"name (2).ext\": the archive already held another file of its name.")},
    {IDS_ZIP_RENAMED, QT_TRANSLATE_NOOP("StringTable", "%d files were stored under numbered names, such as \"name (2).ext\": the archive already held other files of their names.")},
    {IDS_TREE_NAME_NOT_TEXT, QT_TRANSLATE_NOOP("StringTable", "Its name holds bytes that are not text: they can be kept, but not typed.")},
    {IDS_COLUMN_REASON, QT_TRANSLATE_NOOP("StringTable", "Reason")},
    {IDS_MENU_CHECK_REASON, QT_TRANSLATE_NOOP("StringTable", "Check all with this reason")},
    {IDS_MENU_UNCHECK_REASON, QT_TRANSLATE_NOOP("StringTable", "Uncheck all with this reason")},
    {IDS_MENU_REASONS, QT_TRANSLATE_NOOP("StringTable", "Reasons...")},
    {IDS_MENU_SAVE_LIST, QT_TRANSLATE_NOOP("StringTable", "Save List...")},
    {IDS_WHY_FOLDER, QT_TRANSLATE_NOOP("StringTable", "Folder \"%s\": %s")},
    {IDS_WHY_NAME, QT_TRANSLATE_NOOP("StringTable", "Name \"%s\"")},
    {IDS_WHY_EXTENSION, QT_TRANSLATE_NOOP("StringTable", "Extension \"%s\"")},
    {IDS_WHY_SIZE_AT_MOST, QT_TRANSLATE_NOOP("StringTable", "Size at most %s")},
    {IDS_WHY_SIZE_BETWEEN, QT_TRANSLATE_NOOP("StringTable", "Size between %s and %s")},
    {IDS_WHY_SIZE_AT_LEAST, QT_TRANSLATE_NOOP("StringTable", "Size at least %s")},
    {IDS_WHY_TIME_BEFORE, QT_TRANSLATE_NOOP("StringTable", "%s on or before %s")},
    {IDS_WHY_TIME_BETWEEN, QT_TRANSLATE_NOOP("StringTable", "%s between %s and %s")},
    {IDS_WHY_TIME_AFTER, QT_TRANSLATE_NOOP("StringTable", "%s on or after %s")},
    {IDS_WHY_PROTECTED, QT_TRANSLATE_NOOP("StringTable", "Protected: %s")},
    {IDS_REASONS_TITLE, QT_TRANSLATE_NOOP("StringTable", "Reasons")},
    {IDS_REASONS_FILES, QT_TRANSLATE_NOOP("StringTable", "Files")},
    {IDS_REASONS_FREES, QT_TRANSLATE_NOOP("StringTable", "Frees")},
    {IDS_REASONS_CHECK, QT_TRANSLATE_NOOP("StringTable", "C&heck")},
    {IDS_REASONS_UNCHECK, QT_TRANSLATE_NOOP("StringTable", "&Uncheck")},
    {IDS_SAVE_LIST_FAILED, QT_TRANSLATE_NOOP("StringTable", "Can't save the list to \"%s\".\n%s")},
    {IDS_UNDO_MOVE, QT_TRANSLATE_NOOP("StringTable", "&Undo Move")},
    {IDS_UNDOING_MOVE, QT_TRANSLATE_NOOP("StringTable", "Moving back ...")},
    {IDS_WHY_TAGGED_CACHE, QT_TRANSLATE_NOOP("StringTable", "Tagged cache: %s")},
    {IDS_WHY_TRASH, QT_TRANSLATE_NOOP("StringTable", "Trash: %s, deleted %s")},
    {IDS_WHY_TRASH_ORPHAN, QT_TRANSLATE_NOOP("StringTable", "Trash: information without a file")},
    {IDS_FOLDERS_REMOVED, QT_TRANSLATE_NOOP("StringTable", "Emptied folders removed: %s")},
    {IDS_UNDO_MOVE_FAILED, QT_TRANSLATE_NOOP("StringTable", "   Some files couldn't be moved back. They were changed or replaced where they were moved to, or their old place is taken. They stay where they are.\n   Press 'Details' to see the a list of these files now.")},
    {IDS_ACTION_BYTES, QT_TRANSLATE_NOOP("StringTable", "%s %s of %s")},
    {IDS_CLI_ACTION_CANCELLED, "%s: cancelled; %d done, %d failed, the rest left as it was", kEnglishOnly},
    {IDS_REASON_PROTECTED, QT_TRANSLATE_NOOP("StringTable", "Installed software or a running program needs this file.")},
};

const QHash<int, const StringEntry *> &table()
{
    static const QHash<int, const StringEntry *> strings = [] {
        QHash<int, const StringEntry *> map;
        for (const StringEntry &entry : kStrings)
            map.insert(entry.id, &entry);
        return map;
    }();
    return strings;
}

} // namespace

QString LoadString(int id)
{
    const StringEntry *entry = table().value(id, nullptr);
    if (!entry)
        return QString();
    if (!entry->translated)
        return QString::fromUtf8(entry->text);
    // The English text itself when no translation is installed or it has
    // none for this text.
    return QCoreApplication::translate("StringTable", entry->text);
}

QList<int> TranslatedStringIds()
{
    QList<int> ids;
    for (const StringEntry &entry : kStrings) {
        if (entry.translated)
            ids.append(entry.id);
    }
    return ids;
}

QString FormatString(int id, const QStringList &values)
{
    const QString format = LoadString(id);
    QString out;
    qsizetype next = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = format.indexOf(QLatin1String("%s"), from);
        if (at < 0 || next >= values.size())
            break;
        out += QStringView(format).mid(from, at - from);
        out += values[next++];
        from = at + 2;
    }
    out += QStringView(format).mid(from);
    return out;
}
