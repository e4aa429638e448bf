#include "res/templates/TemplateTables.h"

using namespace TemplateTable;
using Kind = DialogControlKind;

namespace {

// Every criteria page shares one frame: the page picture on the left, an
// etched frame from x 110 to the right edge over the full height, the bold
// title at the top of the frame and the description under it.
// The picture takes the column left of the frame at the bitmap's size under
// the usual base units (155 x 292 pixels is about 104 units wide and more
// than the page is high, so it is cut at the bottom).
DialogTemplate CriteriaPage(int number, int titleId, int titleText, int descriptionId, QRect description,
                            int descriptionText, std::vector<DialogControlTemplate> controls)
{
    std::vector<DialogControlTemplate> all{
        SunkenPicture(IDB_PAGE_PICTURE, 0, 0, 104, PAGE_HEIGHT_DLU),
        Control(IDC_STATIC, Kind::Frame, 110, 0, PAGE_WIDTH_DLU - 110, PAGE_HEIGHT_DLU),
        Control(titleId, Kind::Static, 120, 13, 205, 8, titleText),
        Control(descriptionId, Kind::Static, description.x(), description.y(), description.width(),
                description.height(), descriptionText),
    };
    all.insert(all.end(), controls.begin(), controls.end());
    return Template(number, PAGE_WIDTH_DLU, PAGE_HEIGHT_DLU, LoadString(IDS_PRODUCT_NAME), std::move(all));
}

// Location, name and extension pages: one list with Add and Remove.
DialogTemplate ListPage(int number, int titleId, int titleText, int descriptionId, QRect description,
                        int descriptionText, int listId)
{
    return CriteriaPage(number, titleId, titleText, descriptionId, description, descriptionText,
                        {
                            Control(listId, Kind::ListView, 120, 106, 143, 64),
                            Control(IDC_ADD, Kind::PushButton, 267, 106, 48, 14, IDS_ADD),
                            Control(IDC_REMOVE, Kind::PushButton, 268, 124, 47, 14, IDS_REMOVE),
                        });
}

// Creation, modified and accessed time pages.
DialogTemplate TimePage(int number, int titleId, int titleText, int descriptionId, int descriptionText)
{
    return CriteriaPage(number, titleId, titleText, descriptionId, QRect(120, 54, 205, 32), descriptionText,
                        {
                            Control(IDC_MODE, Kind::ComboBox, 120, 105, 71, 46),
                            Control(IDC_DATE_FROM, Kind::DatePicker, 199, 105, 49, 13),
                            Aligned(Control(IDC_AND, Kind::Static, 252, 107, 13, 8, IDS_AND), Qt::AlignHCenter),
                            Control(IDC_DATE_TO, Kind::DatePicker, 269, 105, 49, 13),
                        });
}

} // namespace

std::vector<DialogTemplate> PageTemplates()
{
    std::vector<DialogTemplate> pages;

    pages.push_back(CriteriaPage(
        IDD_METHOD_PAGE, IDC_METHOD_TITLE, IDS_METHOD_TITLE, IDC_METHOD_DESCRIPTION, QRect(120, 31, 205, 17),
        IDS_METHOD_DESCRIPTION,
        {
            Control(IDC_EXPRESS, Kind::RadioButton, 120, 62, 41, 10, IDS_EXPRESS),
            Control(IDC_EXPRESS_DESCRIPTION, Kind::Static, 131, 74, 190, 26, IDS_EXPRESS_DESCRIPTION),
            Control(IDC_CUSTOM, Kind::RadioButton, 120, 115, 50, 10, IDS_CUSTOM),
            Control(IDC_CUSTOM_DESCRIPTION, Kind::Static, 132, 127, 190, 35, IDS_CUSTOM_DESCRIPTION),
        }));

    pages.push_back(CriteriaPage(IDD_DRIVE_PAGE, IDC_DRIVE_TITLE, IDS_DRIVE_TITLE, IDC_DRIVE_DESCRIPTION,
                                 QRect(120, 55, 205, 17), IDS_DRIVE_DESCRIPTION,
                                 {
                                     Control(IDC_DRIVES, Kind::ComboBox, 131, 90, 173, 76),
                                 }));

    // The boxes stand top to bottom in this order, 13 units apart.
    pages.push_back(CriteriaPage(
        IDD_CRITERIA_PAGE, IDC_CRITERIA_TITLE, IDS_CRITERIA_TITLE, IDC_CRITERIA_DESCRIPTION,
        QRect(120, 40, 205, 28), IDS_CRITERIA_DESCRIPTION,
        {
            Control(IDC_CHK_LOCATION, Kind::CheckBox, 128, 83, 195, 10, IDS_CRITERION_LOCATION),
            Control(IDC_CHK_NAME, Kind::CheckBox, 128, 96, 195, 10, IDS_CRITERION_NAME),
            Control(IDC_CHK_EXTENSION, Kind::CheckBox, 128, 109, 195, 10, IDS_CRITERION_EXTENSION),
            Control(IDC_CHK_SIZE, Kind::CheckBox, 128, 122, 195, 10, IDS_CRITERION_SIZE),
            Control(IDC_CHK_CREATION, Kind::CheckBox, 128, 135, 195, 10, IDS_CRITERION_CREATION),
            Control(IDC_CHK_MODIFIED, Kind::CheckBox, 128, 148, 195, 10, IDS_CRITERION_MODIFIED),
            Control(IDC_CHK_ACCESSED, Kind::CheckBox, 128, 161, 195, 10, IDS_CRITERION_ACCESSED),
        }));

    pages.push_back(ListPage(IDD_LOCATION_PAGE, IDC_LOCATION_TITLE, IDS_LOCATION_TITLE, IDC_LOCATION_DESCRIPTION,
                             QRect(120, 38, 205, 60), IDS_LOCATION_DESCRIPTION, IDC_LOCATION_LIST));
    pages.push_back(ListPage(IDD_NAME_PAGE, IDC_NAME_TITLE, IDS_NAME_TITLE, IDC_NAME_DESCRIPTION,
                             QRect(120, 38, 205, 45), IDS_NAME_DESCRIPTION, IDC_NAME_LIST));
    pages.push_back(ListPage(IDD_EXTENSION_PAGE, IDC_EXTENSION_TITLE, IDS_EXTENSION_TITLE,
                             IDC_EXTENSION_DESCRIPTION, QRect(120, 55, 205, 32), IDS_EXTENSION_DESCRIPTION,
                             IDC_EXTENSION_LIST));

    // The up-down controls overlap the right end of their edits: they are
    // aligned onto their buddies.
    pages.push_back(CriteriaPage(
        IDD_SIZE_PAGE, IDC_SIZE_TITLE, IDS_SIZE_TITLE, IDC_SIZE_DESCRIPTION, QRect(120, 54, 205, 32),
        IDS_SIZE_DESCRIPTION,
        {
            Control(IDC_MODE, Kind::ComboBox, 121, 105, 71, 46),
            Control(IDC_SIZE_FROM, Kind::Edit, 195, 105, 44, 12),
            Control(IDC_SIZE_FROM_SPIN, Kind::UpDown, 233, 105, 6, 14),
            Control(IDC_STATIC, Kind::Static, 241, 107, 10, 8, IDS_KB),
            Aligned(Control(IDC_AND, Kind::Static, 253, 107, 13, 8, IDS_AND), Qt::AlignHCenter),
            Control(IDC_SIZE_TO, Kind::Edit, 269, 105, 44, 12),
            Control(IDC_SIZE_TO_SPIN, Kind::UpDown, 306, 105, 7, 14),
            Control(IDC_SIZE_TO_UNIT, Kind::Static, 315, 107, 10, 8, IDS_KB),
        }));

    pages.push_back(TimePage(IDD_CREATION_TIME_PAGE, IDC_CREATION_TITLE, IDS_CREATION_TITLE,
                             IDC_CREATION_DESCRIPTION, IDS_CREATION_DESCRIPTION));
    pages.push_back(TimePage(IDD_MODIFIED_TIME_PAGE, IDC_MODIFIED_TITLE, IDS_MODIFIED_TITLE,
                             IDC_MODIFIED_DESCRIPTION, IDS_MODIFIED_DESCRIPTION));
    pages.push_back(TimePage(IDD_ACCESSED_TIME_PAGE, IDC_ACCESSED_TITLE, IDS_ACCESSED_TITLE,
                             IDC_ACCESSED_DESCRIPTION, IDS_ACCESSED_DESCRIPTION));

    // The results page has its own picture and no frame; the action buttons
    // stay disabled until something is found.
    pages.push_back(Template(
        IDD_RESULTS_PAGE, PAGE_WIDTH_DLU, PAGE_HEIGHT_DLU, LoadString(IDS_PRODUCT_NAME),
        {
            SunkenPicture(IDB_RESULTS_PICTURE, 0, 1, 65, 52),
            Control(IDC_RESULTS_TITLE, Kind::Static, 70, 0, 262, 8, IDS_RESULTS_TITLE),
            Control(IDC_RESULTS_DESCRIPTION, Kind::Static, 70, 10, 262, 49, IDS_RESULTS_DESCRIPTION),
            Control(IDC_RESULTS_LIST, Kind::ListView, 0, 61, 332, 58),
            // Space that no row shows (deleted files still open, snapshots),
            // what was held back as protected, then how many folders could
            // not be read, each a line of its own above the totals and each
            // empty when there is nothing to say.
            Control(IDC_SPACE_NOTES_TEXT, Kind::Static, 3, 121, 324, 9),
            Control(IDC_PROTECTED_TEXT, Kind::Static, 3, 131, 324, 9),
            Control(IDC_SKIPPED_FOLDERS_TEXT, Kind::Static, 3, 141, 324, 9),
            Control(IDC_SELECTION_TEXT, Kind::Static, 3, 152, 158, 9),
            // Follows the selection text on its line; the page moves it to
            // the selection text's end whenever either changes.
            Control(IDC_FREES_TEXT, Kind::Static, 95, 152, 84, 9),
            Aligned(Control(IDC_FREE_SPACE_TEXT, Kind::Static, 181, 152, 146, 9), Qt::AlignRight),
            Disabled(Control(IDC_ELIMINATE, Kind::PushButton, 4, 163, 50, 14, IDS_ELIMINATE)),
            Disabled(Control(IDC_COMPRESS, Kind::PushButton, 172, 163, 50, 14, IDS_COMPRESS)),
            Disabled(Control(IDC_MOVE, Kind::PushButton, 225, 163, 50, 14, IDS_MOVE)),
            Disabled(Control(IDC_DELETE, Kind::PushButton, 278, 163, 50, 14, IDS_DELETE)),
        }));

    return pages;
}
