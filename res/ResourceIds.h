#pragma once

// Every resource number of the program in one place: dialog templates,
// control ids, commands, pictures and string ids. Numbers are fixed: the
// pages, dialogs and tests refer to them by these names only.

// ---------------------------------------------------------------------------
// Standard dialog results
// ---------------------------------------------------------------------------
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2; // the program's message box answers IDOK for "&Yes" and IDCANCEL for "&No"

// ---------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_METHOD_PAGE = 102;
constexpr int IDD_DRIVE_PAGE = 103;
constexpr int IDD_CRITERIA_PAGE = 104;
constexpr int IDD_NAME_PAGE = 105;
constexpr int IDD_EXTENSION_PAGE = 106;
constexpr int IDD_SIZE_PAGE = 107;
constexpr int IDD_CREATION_TIME_PAGE = 108;
constexpr int IDD_MODIFIED_TIME_PAGE = 109;
constexpr int IDD_ACCESSED_TIME_PAGE = 110;
constexpr int IDD_RESULTS_PAGE = 112;
constexpr int IDD_LOCATION_PAGE = 113;
constexpr int IDD_SCAN = 133;
constexpr int IDD_SELECT_FOLDER = 135;
constexpr int IDD_RESTART_PROGRESS = 136;
constexpr int IDD_ACTION_PROGRESS = 137;
constexpr int IDD_MESSAGE_BOX = 138;
constexpr int IDD_FAILED_FILES = 150;
constexpr int IDD_REASONS = 160;              // our own: the files listed, reason by reason

// Size of every wizard page, in dialog units.
constexpr int PAGE_WIDTH_DLU = 332;
constexpr int PAGE_HEIGHT_DLU = 178;

// ---------------------------------------------------------------------------
// Icon and bitmaps
// ---------------------------------------------------------------------------
constexpr int IDI_PROGRAM = 128;         // program icon
constexpr int IDB_LOGO = 129;            // sheet logo, 119 x 25
constexpr int IDB_PAGE_PICTURE = 130;    // picture at the top left of every page, 155 x 292
constexpr int IDB_DRIVES = 136;          // nine 18 x 18 drive images, image 4 a hard disk
constexpr int IDB_SPLASH = 138;          // splash picture, 375 x 250
constexpr int IDB_RESULTS_PICTURE = 147; // results page picture, 95 x 83

// ---------------------------------------------------------------------------
// Controls, by dialog. A number can serve different controls in different
// templates; the name says which.
// ---------------------------------------------------------------------------
constexpr int IDC_STATIC = -1;           // a control without an id (picture, frame, label)

// Method page (102)
constexpr int IDC_METHOD_DESCRIPTION = 1003;
constexpr int IDC_EXPRESS = 1004;
constexpr int IDC_CUSTOM = 1005;
constexpr int IDC_METHOD_TITLE = 1007;
constexpr int IDC_EXPRESS_DESCRIPTION = 1008;
constexpr int IDC_CUSTOM_DESCRIPTION = 1009;

// Drive page (103)
constexpr int IDC_DRIVE_TITLE = 1010;
constexpr int IDC_DRIVES = 1011;
constexpr int IDC_DRIVE_DESCRIPTION = 1012;

// Criteria page (104)
constexpr int IDC_CRITERIA_TITLE = 1013;
constexpr int IDC_CRITERIA_DESCRIPTION = 1014;
constexpr int IDC_CHK_NAME = 1015;
constexpr int IDC_CHK_EXTENSION = 1016;
constexpr int IDC_CHK_SIZE = 1017;
constexpr int IDC_CHK_CREATION = 1018;
constexpr int IDC_CHK_ACCESSED = 1019;
constexpr int IDC_CHK_MODIFIED = 1020;
constexpr int IDC_CHK_LOCATION = 1021;

// Location (113), name (105) and extension (106) pages
constexpr int IDC_ADD = 1022;
constexpr int IDC_REMOVE = 1023;
constexpr int IDC_LOCATION_TITLE = 1053;
constexpr int IDC_LOCATION_DESCRIPTION = 1054;
constexpr int IDC_LOCATION_LIST = 1055;
constexpr int IDC_NAME_TITLE = 1016;
constexpr int IDC_NAME_DESCRIPTION = 1017;
constexpr int IDC_NAME_LIST = 1025;
constexpr int IDC_EXTENSION_TITLE = 1019;
constexpr int IDC_EXTENSION_DESCRIPTION = 1020;
constexpr int IDC_EXTENSION_LIST = 1026;

// Size page (107); the mode combo box and the "and" static are shared with the time pages
constexpr int IDC_SIZE_TITLE = 1027;
constexpr int IDC_SIZE_DESCRIPTION = 1028;
constexpr int IDC_MODE = 1029;
constexpr int IDC_SIZE_FROM = 1030;
constexpr int IDC_SIZE_FROM_SPIN = 1031;
constexpr int IDC_SIZE_TO = 1032;
constexpr int IDC_SIZE_TO_SPIN = 1033;
constexpr int IDC_AND = 1057;
constexpr int IDC_SIZE_TO_UNIT = 1058;

// Time pages (108, 109, 110)
constexpr int IDC_CREATION_TITLE = 1034;
constexpr int IDC_MODIFIED_TITLE = 1037;
constexpr int IDC_ACCESSED_DESCRIPTION = 1038;
constexpr int IDC_ACCESSED_TITLE = 1039;
constexpr int IDC_CREATION_DESCRIPTION = 1040;
constexpr int IDC_MODIFIED_DESCRIPTION = 1041;
constexpr int IDC_DATE_FROM = 1059;
constexpr int IDC_DATE_TO = 1060;

// Results page (112)
constexpr int IDC_RESULTS_LIST = 1042;
constexpr int IDC_RESULTS_TITLE = 1044;
constexpr int IDC_RESULTS_DESCRIPTION = 1046;
constexpr int IDC_COMPRESS = 1047;
constexpr int IDC_MOVE = 1048;
constexpr int IDC_DELETE = 1049;
constexpr int IDC_SELECTION_TEXT = 1051;
constexpr int IDC_FREE_SPACE_TEXT = 1052;
constexpr int IDC_ELIMINATE = 1056;
constexpr int IDC_PROTECTED_TEXT = 1100;     // our own: what was held back as protected
constexpr int IDC_SKIPPED_FOLDERS_TEXT = 1090;
constexpr int IDC_FREES_TEXT = 1180;          // our own: what deleting the checked files frees
constexpr int IDC_SPACE_NOTES_TEXT = 1181;    // our own: space held where no listed file shows it

// Scan dialog (133)
constexpr int IDC_SCAN_PROGRESS = 1061;
constexpr int IDC_SCAN_PATH = 1062;

// Select Folder dialog (135)
constexpr int IDC_FOLDER_TREE = 1064;
constexpr int IDC_FOLDER_PATH = 1065;
constexpr int IDC_PRESERVE_PATH = 1067;

// Restart (136) and action (137) progress dialogs
constexpr int IDC_RESTART_PROGRESS = 1069;
constexpr int IDC_RESTART_TEXT = 1070;
constexpr int IDC_ACTION_TEXT = 1071;
constexpr int IDC_ACTION_PROGRESS = 1072;

// Message box (138)
constexpr int IDC_MESSAGE_TEXT = 1075;

// About dialog (100)
constexpr int IDC_LINK = 1076;

// Failed-files dialog (150)
constexpr int IDC_FAILED_LIST = 1042;
constexpr int IDC_DETAILS = 1086;
constexpr int IDC_FAILED_MESSAGE = 1087;

// Reasons window (our own)
constexpr int IDC_REASONS_LIST = 1160;
constexpr int IDC_REASONS_CHECK = 1161;
constexpr int IDC_REASONS_UNCHECK = 1162;

// ---------------------------------------------------------------------------
// String table
// ---------------------------------------------------------------------------

// Sheet, caption menu, help
constexpr int IDS_ABOUT_MENU = 101;          // "&About Brimvale..."
constexpr int IDS_PRODUCT_NAME = 102;        // "Brimvale": sheet, page and message box captions
constexpr int IDS_BACK = 109;
constexpr int IDS_NEXT = 110;
constexpr int IDS_HELP = 111;
constexpr int IDS_CLOSE = 112;
constexpr int IDS_HELP_ERROR = 211;

// Method page
constexpr int IDS_METHOD_TITLE = 103;
constexpr int IDS_METHOD_DESCRIPTION = 104;
constexpr int IDS_EXPRESS = 105;
constexpr int IDS_EXPRESS_DESCRIPTION = 106;
constexpr int IDS_CUSTOM = 107;
constexpr int IDS_CUSTOM_DESCRIPTION = 108;

// Criteria page
constexpr int IDS_CRITERIA_TITLE = 113;
constexpr int IDS_CRITERIA_DESCRIPTION = 114;
constexpr int IDS_CRITERION_NAME = 115;
constexpr int IDS_CRITERION_EXTENSION = 116;
constexpr int IDS_CRITERION_SIZE = 117;
constexpr int IDS_CRITERION_CREATION = 118;
constexpr int IDS_CRITERION_MODIFIED = 119;
constexpr int IDS_CRITERION_ACCESSED = 120;
constexpr int IDS_CRITERION_LOCATION = 149;

// Drive page
constexpr int IDS_DRIVE_TITLE = 121;
constexpr int IDS_DRIVE_DESCRIPTION = 122;

// Location, name and extension pages
constexpr int IDS_ADD = 125;
constexpr int IDS_REMOVE = 126;
constexpr int IDS_NAME_TITLE = 123;
constexpr int IDS_NAME_DESCRIPTION = 124;
constexpr int IDS_NAME_COLUMN = 127;
constexpr int IDS_NEW_NAME = 128;
constexpr int IDS_LOCATION_TITLE = 146;
constexpr int IDS_LOCATION_DESCRIPTION = 147;
constexpr int IDS_FOLDER_COLUMN = 148;
constexpr int IDS_NEW_FOLDER = 150;
constexpr int IDS_EXTENSION_TITLE = 152;
constexpr int IDS_EXTENSION_DESCRIPTION = 153;
constexpr int IDS_EXTENSION_COLUMN = 154;
constexpr int IDS_NEW_EXTENSION = 155;

// Size page
constexpr int IDS_SIZE_TITLE = 156;
constexpr int IDS_SIZE_DESCRIPTION = 157;
constexpr int IDS_LESS_THAN = 158;
constexpr int IDS_SIZE_BETWEEN = 159;
constexpr int IDS_LARGER_THAN = 160;

// Time pages
constexpr int IDS_CREATION_TITLE = 162;
constexpr int IDS_CREATION_DESCRIPTION = 163;
constexpr int IDS_OLDER_THAN = 164;
constexpr int IDS_TIME_BETWEEN = 165;
constexpr int IDS_RECENT_THAN = 166;
constexpr int IDS_AND = 167;
constexpr int IDS_MODIFIED_TITLE = 168;
constexpr int IDS_MODIFIED_DESCRIPTION = 169;
constexpr int IDS_ACCESSED_TITLE = 170;
constexpr int IDS_ACCESSED_DESCRIPTION = 171;

// Shared buttons
constexpr int IDS_CANCEL = 172;
constexpr int IDS_OK = 197;
constexpr int IDS_YES = 198;
constexpr int IDS_NO = 199;

// Results page
constexpr int IDS_RESULTS_DESCRIPTION = 130;
constexpr int IDS_DATE_FORMAT = 173;         // "%x", a C date format
constexpr int IDS_DELETING = 193;
constexpr int IDS_MOVING = 194;
constexpr int IDS_COMPRESSING = 195;
constexpr int IDS_ELIMINATING = 196;

// Delete, Move, Compress
constexpr int IDS_CANT_CREATE_PATH = 180;    // %s: the typed folder
constexpr int IDS_ZIP_DEFAULT_NAME = 181;
constexpr int IDS_ZIP_FILTER = 182;          // description|pattern pairs, "||" ends the list
constexpr int IDS_ZIP_EXTENSION = 183;
constexpr int IDS_ZIP_TITLE = 185;
constexpr int IDS_CONFIRM_DELETE = 200;
constexpr int IDS_CANT_LOAD_LIBRARY = 204;   // %s: the library's path
constexpr int IDS_CANT_FIND_ENTRY = 205;     // %s: the library's path
constexpr int IDS_COMPRESS_ERROR = 206;      // %s: the file's path

// Failed-files dialog
constexpr int IDS_DETAILS_MORE = 207;        // "&Details >>"
constexpr int IDS_DETAILS_LESS = 208;        // "&Details <<"
constexpr int IDS_DELETE_FAILED = 209;       // also after Compress
constexpr int IDS_MOVE_FAILED = 210;

// Texts that are shown to the user but had no number of their own; they are
// numbered from 300 so that they never collide with the ones above.
constexpr int IDS_RESTART = 300;             // "&Restart", the Next button on the results page
constexpr int IDS_SELECTION_FORMAT = 301;    // %s size text, %d file count
constexpr int IDS_FREE_SPACE_FORMAT = 302;   // %s size text
constexpr int IDS_RESULTS_TITLE = 303;
constexpr int IDS_COLUMN_FILE = 304;
constexpr int IDS_COLUMN_LOCATION = 305;
constexpr int IDS_COLUMN_SIZE = 306;
constexpr int IDS_COLUMN_CREATED = 307;
constexpr int IDS_COLUMN_MODIFIED = 308;
constexpr int IDS_COLUMN_ACCESSED = 309;
constexpr int IDS_RESTARTING = 310;
constexpr int IDS_MOVE = 311;
constexpr int IDS_DELETE = 312;
constexpr int IDS_COMPRESS = 313;
constexpr int IDS_ELIMINATE = 314;
constexpr int IDS_ENTER_INTEGER = 315;       // refused number on the size page
constexpr int IDS_SCAN = 316;                // first text of the scan dialog's path line
constexpr int IDS_KB = 317;                  // unit beside the size edits

// Files that are never offered: the results page's line and row tips
constexpr int IDS_PROTECTED_LEFT_OUT = 370;    // %d files, %s the reasons with their counts
constexpr int IDS_PROTECTED_LOCKED = 371;      // %d files, %s the reasons with their counts
constexpr int IDS_PROTECTED_REASON_COUNT = 372; // %s a reason, %d its count
constexpr int IDS_PROTECTED_PACKAGE = 373;
constexpr int IDS_PROTECTED_IN_USE = 374;
constexpr int IDS_PROTECTED_FOLDER = 375;
constexpr int IDS_PROTECTED_UNREADABLE = 376;  // %d processes whose open files could not be read
constexpr int IDS_PROTECTED_TOOLTIP = 377;     // %s the reason
constexpr int IDS_PROTECTED_BACKUP = 520;
constexpr int IDS_PROTECTED_DESKTOP = 521;
constexpr int IDS_PROTECTED_NEEDS_ADMIN = 522;
constexpr int IDS_PROTECTED_IMMUTABLE = 523;
constexpr int IDS_NOT_REMOVABLE_LEFT_OUT = 524; // %d files
constexpr int IDS_LIVE_LEFT_UNCHECKED = 525;    // %d files, %d hours
constexpr int IDS_WHY_LIVE_HOURS = 526;         // %d hours
constexpr int IDS_WHY_LIVE_ONE_HOUR = 527;
constexpr int IDS_WHY_LIVE_RECENT = 528;

// About dialog
constexpr int IDS_ABOUT_CAPTION = 320;
constexpr int IDS_ABOUT_VERSION = 321;       // two spaces before "Version"
constexpr int IDS_ABOUT_LINE = 322;
constexpr int IDS_VISIT_WEB_SITE = 323;
constexpr int IDS_WEB_ADDRESS = 324;
constexpr int IDS_ABOUT_OK = 325;            // "&OK" (the About box spells it in capitals)

// Select Folder dialog and its folder tree
constexpr int IDS_SELECT_FOLDER = 330;
constexpr int IDS_PRESERVE_PATH = 331;
constexpr int IDS_CONTEXT_MENU_FAILED = 335; // %lx: error code
constexpr int IDS_MENU_COMMAND_FAILED = 336; // %lx: error code

// Hyperlink failures: the lead text, then one text per result code
constexpr int IDS_LINK_ERROR = 350;
constexpr int IDS_LINK_OUT_OF_RESOURCES = 351;  // code 0
constexpr int IDS_LINK_FILE_NOT_FOUND = 352;    // code 2
constexpr int IDS_LINK_PATH_NOT_FOUND = 353;    // code 3
constexpr int IDS_LINK_ACCESS_DENIED = 354;     // code 5
constexpr int IDS_LINK_OUT_OF_MEMORY = 355;     // code 8
constexpr int IDS_LINK_BAD_FORMAT = 356;        // code 11
constexpr int IDS_LINK_SHARING_VIOLATION = 357; // code 26
constexpr int IDS_LINK_ASSOC_INCOMPLETE = 358;  // code 27
constexpr int IDS_LINK_DDE_TIMEOUT = 359;       // code 28
constexpr int IDS_LINK_DDE_FAIL = 360;          // code 29
constexpr int IDS_LINK_DDE_BUSY = 361;          // code 30
constexpr int IDS_LINK_NO_ASSOC = 362;          // code 31
constexpr int IDS_LINK_DLL_NOT_FOUND = 363;     // code 32
constexpr int IDS_LINK_UNKNOWN_ERROR = 364;     // %d: any other code

// Command line: the help text, messages and report lines of brimvale-cli
constexpr int IDS_CLI_VERSION = 401;             // %s: version
constexpr int IDS_CLI_TRY_HELP = 402;
constexpr int IDS_CLI_UNKNOWN_OPTION = 403;      // %s: the option
constexpr int IDS_CLI_MISSING_ARGUMENT = 404;    // %s: the option, %s: what it needs
constexpr int IDS_CLI_BAD_CHOICE = 405;          // %s: option, %s: the choices, %s: what was given
constexpr int IDS_CLI_BAD_DATE = 406;            // %s: option, %s: what was given
constexpr int IDS_CLI_BAD_SIZE = 407;            // %s: option, %s: what was given
constexpr int IDS_CLI_NO_COMMAND = 408;
constexpr int IDS_CLI_UNKNOWN_COMMAND = 409;     // %s: the word given
constexpr int IDS_CLI_OPERANDS = 410;            // %s: command, %s: its operands
constexpr int IDS_CLI_EXPRESS_AND_CUSTOM = 411;
constexpr int IDS_CLI_NOT_A_FOLDER = 412;        // %s: path
constexpr int IDS_CLI_NO_SUCH_PATH = 413;        // %s: path, %s: system reason
constexpr int IDS_CLI_LIST_UNREADABLE = 414;     // %s: list, %s: system reason
constexpr int IDS_CLI_LIST_NOT_A_LIST = 415;     // %s: list
constexpr int IDS_CLI_LIST_VERSION = 416;        // %s: list, %s: version found, %d: version read
constexpr int IDS_CLI_LIST_BAD_LINE = 417;       // %s: list, %d: line
constexpr int IDS_CLI_LIST_TRUNCATED = 418;      // %s: list
constexpr int IDS_CLI_LIST_OUTSIDE_ROOT = 419;   // %s: list, %d: line, %s: root
constexpr int IDS_CLI_LIST_DUPLICATE = 420;      // %s: list, %d: line
constexpr int IDS_CLI_ARCHIVE_LISTED = 421;      // %s: archive
constexpr int IDS_CLI_SAVE_REFUSED = 424;        // %s: path
constexpr int IDS_CLI_SAVE_FAILED = 425;         // %s: path, %s: system reason
constexpr int IDS_CLI_OUTPUT_FAILED = 426;       // %s: system reason
constexpr int IDS_CLI_REASON_GONE = 427;
constexpr int IDS_CLI_REASON_REPLACED = 428;
constexpr int IDS_CLI_REASON_PERMISSION = 429;
constexpr int IDS_CLI_REASON_PROTECTED = 430;
constexpr int IDS_CLI_REASON_DESTINATION_TAKEN = 431;
constexpr int IDS_CLI_FILE_FAILED = 432;         // %s: path, %s: reason
constexpr int IDS_CLI_PROGRESS = 433;            // %d examined, %d matches, %d per second
constexpr int IDS_CLI_SUMMARY_EXAMINED = 434;    // %d
constexpr int IDS_CLI_SUMMARY_LISTED = 435;      // %d files, %d bytes
constexpr int IDS_CLI_SUMMARY_UNREADABLE = 436;  // %d
constexpr int IDS_CLI_SUMMARY_PROTECTED = 437;   // %d
constexpr int IDS_CLI_ARCHIVE_IS_FOLDER = 438;   // %s: archive
constexpr int IDS_CLI_ACTION_DONE = 439;         // %s: action, %d done, %d failed
constexpr int IDS_CLI_EMPTY_PATTERN = 440;       // %s: option
// What a start found left by an interrupted action, and a zip archive that is not one
constexpr int IDS_CLI_RECOVERED = 600;           // %d put back, %d finished, %d removed
constexpr int IDS_CLI_RECOVERED_RENAMED = 601;   // %s: new path
constexpr int IDS_CLI_RECOVER_LEFT = 602;        // %s: path
constexpr int IDS_CLI_RECOVER_NOTHING = 603;
constexpr int IDS_CLI_ARCHIVE_NOT_ZIP = 604;     // %s: archive
constexpr int IDS_ARCHIVE_NOT_ZIP = 605;         // %s: archive
constexpr int IDS_CLI_BAD_NOW = 640;             // %s: the variable's value
// Results page: folders the walk could not read
constexpr int IDS_SKIPPED_ONE_FOLDER = 380;
constexpr int IDS_SKIPPED_FOLDERS = 381;        // %d: number of folders

// Results page: what the checked files really take on disk
constexpr int IDS_FREES_ABOUT = 480;            // %s size text
constexpr int IDS_FREES_ABOUT_UP_TO = 481;      // %s: what surely comes back, %s: with shared data
constexpr int IDS_HELD_BY_DELETED = 482;        // %s: size text, %s: "program (pid)" list
constexpr int IDS_SNAPSHOTS_KEEP = 484;
constexpr int IDS_REASONS_SHARED = 485;
constexpr int IDS_WHY_SHARED = 486;             // %s: size text of the shared data

// Why an action left a file alone, one text per result code
constexpr int IDS_REASON_OK = 385;
constexpr int IDS_REASON_GONE = 386;
constexpr int IDS_REASON_REPLACED = 387;
constexpr int IDS_REASON_PERMISSION = 388;
constexpr int IDS_REASON_FAILED = 389;          // %s: the system's error text
constexpr int IDS_REASON_CHANGED = 390;
constexpr int IDS_REASON_LEFT_ASIDE = 391;
constexpr int IDS_REASON_ALREADY_THERE = 581;

// Folder tree of the Select Folder dialog: its context menu
constexpr int IDS_TREE_OPEN_IN_FILE_MANAGER = 450;
constexpr int IDS_TREE_NEW_FOLDER = 451;        // also the new folder's first name
constexpr int IDS_TREE_RENAME = 452;
constexpr int IDS_TREE_CANT_CREATE = 453;       // %s: folder name, %s: reason
constexpr int IDS_TREE_CANT_RENAME = 454;       // %s: folder name, %s: reason
constexpr int IDS_TREE_NAME_NOT_TEXT = 582;

// Compress: files stored under a numbered name, their own being taken
constexpr int IDS_ZIP_RENAMED_ONE = 583;
constexpr int IDS_ZIP_RENAMED = 584;            // %d: number of files

// Results page: open files of a single process could not be read
constexpr int IDS_PROTECTED_UNREADABLE_ONE = 585;

// Caption of the Reasons window
constexpr int IDS_REASONS_TITLE = 586;

// Why each file is listed, the results list's menu, its reasons window and
// the saved list
constexpr int IDS_COLUMN_REASON = 460;
constexpr int IDS_MENU_CHECK_REASON = 461;
constexpr int IDS_MENU_UNCHECK_REASON = 462;
constexpr int IDS_MENU_REASONS = 463;
constexpr int IDS_MENU_SAVE_LIST = 464;
constexpr int IDS_WHY_FOLDER = 465;             // %s: pattern, %s: folder
constexpr int IDS_WHY_NAME = 466;               // %s: pattern
constexpr int IDS_WHY_EXTENSION = 467;          // %s: pattern
constexpr int IDS_WHY_SIZE_AT_MOST = 468;       // %s: size
constexpr int IDS_WHY_SIZE_BETWEEN = 469;       // %s, %s: sizes
constexpr int IDS_WHY_SIZE_AT_LEAST = 470;      // %s: size
constexpr int IDS_WHY_TIME_BEFORE = 471;        // %s: which time, %s: day
constexpr int IDS_WHY_TIME_BETWEEN = 472;       // %s: which time, %s, %s: days
constexpr int IDS_WHY_TIME_AFTER = 473;         // %s: which time, %s: day
constexpr int IDS_WHY_PROTECTED = 474;          // %s: the protection's reason
constexpr int IDS_REASONS_FILES = 475;
constexpr int IDS_REASONS_FREES = 476;
constexpr int IDS_REASONS_CHECK = 477;
constexpr int IDS_REASONS_UNCHECK = 478;
constexpr int IDS_SAVE_LIST_FAILED = 479;       // %s: file, %s: system reason

// Undo of the last Move, from the results list's context menu
constexpr int IDS_UNDO_MOVE = 490;
constexpr int IDS_UNDOING_MOVE = 491;
constexpr int IDS_UNDO_MOVE_FAILED = 492;

// Actions: one long file's progress, a run stopped by a signal, a file refused
constexpr int IDS_ACTION_BYTES = 560;           // %s: status text, %s: bytes done, %s: bytes in all
constexpr int IDS_CLI_ACTION_CANCELLED = 561;   // %s: action, %d done, %d failed
constexpr int IDS_REASON_PROTECTED = 562;

// Whole items: tagged cache folders, trash entries, folders an action emptied
constexpr int IDS_WHY_TAGGED_CACHE = 530;       // %s: folder
constexpr int IDS_WHY_TRASH = 531;              // %s: original path, %s: deletion date
constexpr int IDS_WHY_TRASH_ORPHAN = 532;
constexpr int IDS_FOLDERS_REMOVED = 533;        // %s: number of folders
