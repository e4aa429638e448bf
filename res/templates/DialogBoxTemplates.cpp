#include "res/templates/TemplateTables.h"

using namespace TemplateTable;
using Kind = DialogControlKind;

std::vector<DialogTemplate> DialogBoxTemplates()
{
    std::vector<DialogTemplate> dialogs;

    dialogs.push_back(Template(IDD_ABOUTBOX, 226, 58, LoadString(IDS_ABOUT_CAPTION),
                               {
                                   Icon(11, 19, 20, 20),
                                   Control(IDC_STATIC, Kind::Static, 46, 11, 115, 8, IDS_ABOUT_VERSION),
                                   Control(IDC_STATIC, Kind::Static, 46, 25, 115, 8, IDS_ABOUT_LINE),
                                   Control(IDC_STATIC, Kind::Static, 46, 39, 58, 8, IDS_VISIT_WEB_SITE),
                                   Control(IDC_LINK, Kind::Static, 109, 38, 52, 8, IDS_WEB_ADDRESS),
                                   Control(IDOK, Kind::DefPushButton, 174, 7, 45, 14, IDS_ABOUT_OK),
                               }));

    // The scan dialog and the two progress dialogs have no caption.
    dialogs.push_back(Template(IDD_SCAN, 199, 62, QString(),
                               {
                                   Control(IDC_SCAN_PATH, Kind::Static, 7, 7, 184, 8, IDS_SCAN),
                                   Control(IDC_SCAN_PROGRESS, Kind::Progress, 7, 22, 184, 14),
                                   Control(IDCANCEL, Kind::PushButton, 74, 42, 50, 14, IDS_CANCEL),
                               }));

    dialogs.push_back(Template(IDD_SELECT_FOLDER, 231, 121, LoadString(IDS_SELECT_FOLDER),
                               {
                                   Control(IDC_FOLDER_PATH, Kind::Edit, 4, 5, 152, 12),
                                   Control(IDC_FOLDER_TREE, Kind::TreeView, 4, 22, 152, 93),
                                   Control(IDOK, Kind::PushButton, 173, 5, 46, 14, IDS_MOVE),
                                   Control(IDCANCEL, Kind::PushButton, 173, 27, 46, 14, IDS_CANCEL),
                                   Icon(185, 63, 20, 20),
                                   Control(IDC_PRESERVE_PATH, Kind::CheckBox, 165, 107, 61, 8, IDS_PRESERVE_PATH),
                               }));

    dialogs.push_back(Template(
        IDD_RESTART_PROGRESS, 199, 49, QString(),
        {
            Aligned(Control(IDC_RESTART_TEXT, Kind::Static, 7, 7, 184, 10, IDS_RESTARTING), Qt::AlignVCenter),
            Control(IDC_RESTART_PROGRESS, Kind::Progress, 7, 22, 184, 14),
        }));

    dialogs.push_back(Template(IDD_ACTION_PROGRESS, 199, 62, QString(),
                               {
                                   Aligned(Control(IDC_ACTION_TEXT, Kind::Static, 7, 7, 184, 10), Qt::AlignVCenter),
                                   Control(IDC_ACTION_PROGRESS, Kind::Progress, 7, 22, 184, 14),
                                   Control(IDCANCEL, Kind::PushButton, 74, 42, 50, 14, IDS_CANCEL),
                               }));

    dialogs.push_back(Template(IDD_MESSAGE_BOX, 222, 55, LoadString(IDS_PRODUCT_NAME),
                               {
                                   Icon(10, 8, 20, 20),
                                   Aligned(Control(IDC_MESSAGE_TEXT, Kind::Static, 39, 4, 179, 25), Qt::AlignHCenter),
                                   Control(IDOK, Kind::PushButton, 51, 35, 50, 14, IDS_OK),
                                   Control(IDCANCEL, Kind::PushButton, 121, 35, 50, 14, IDS_CANCEL),
                               }));

    // Opens collapsed to just below the buttons; the list lies outside then.
    dialogs.push_back(Template(IDD_FAILED_FILES, 223, 183, LoadString(IDS_PRODUCT_NAME),
                               {
                                   Icon(7, 10, 20, 20),
                                   Control(IDC_FAILED_MESSAGE, Kind::Static, 34, 9, 182, 33),
                                   Control(IDOK, Kind::DefPushButton, 102, 46, 50, 14, IDS_OK),
                                   Control(IDC_DETAILS, Kind::PushButton, 166, 46, 50, 14, IDS_DETAILS_MORE),
                                   Control(IDC_FAILED_LIST, Kind::ListView, 7, 67, 209, 109),
                               }));

    // The found files reason by reason, each reason checked or unchecked whole.
    dialogs.push_back(Template(IDD_REASONS, 320, 180, LoadString(IDS_PRODUCT_NAME),
                               {
                                   Control(IDC_REASONS_LIST, Kind::ListView, 7, 7, 306, 144),
                                   Control(IDC_REASONS_CHECK, Kind::PushButton, 7, 159, 50, 14, IDS_REASONS_CHECK),
                                   Control(IDC_REASONS_UNCHECK, Kind::PushButton, 61, 159, 50, 14,
                                           IDS_REASONS_UNCHECK),
                                   Control(IDOK, Kind::DefPushButton, 263, 159, 50, 14, IDS_CLOSE),
                               }));

    return dialogs;
}
