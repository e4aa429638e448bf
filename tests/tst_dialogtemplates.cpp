#include <QtTest>

#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QComboBox>
#include <QPushButton>

namespace {

const int kPageNumbers[] = {IDD_METHOD_PAGE, IDD_DRIVE_PAGE, IDD_CRITERIA_PAGE, IDD_NAME_PAGE,
                            IDD_EXTENSION_PAGE, IDD_SIZE_PAGE, IDD_CREATION_TIME_PAGE, IDD_MODIFIED_TIME_PAGE,
                            IDD_ACCESSED_TIME_PAGE, IDD_RESULTS_PAGE, IDD_LOCATION_PAGE};
const int kDialogNumbers[] = {IDD_ABOUTBOX, IDD_SCAN, IDD_SELECT_FOLDER, IDD_RESTART_PROGRESS,
                              IDD_ACTION_PROGRESS, IDD_MESSAGE_BOX, IDD_FAILED_FILES, IDD_REASONS};

} // namespace

class TestDialogTemplates : public QObject
{
    Q_OBJECT
private slots:
    void dialogUnitsFollowTheFont()
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        const CDialogUnits units(font);
        const QFontMetrics metrics(font);
        const int average = (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
        QCOMPARE(units.baseUnits(), QSize(average, metrics.height()));
        const QSize page = units.toPixels(QSize(332, 178));
        QCOMPARE(page.width(), (332 * average + 2) / 4);
        QCOMPARE(page.height(), (178 * metrics.height() + 4) / 8);
    }

    void dialogFontIsTheBundledSans()
    {
        const QFont font = DialogFont();
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(font.pointSize(), 8);
    }

    void everyTemplateIsFoundByItsNumber()
    {
        for (int number : kPageNumbers) {
            const DialogTemplate *found = FindDialogTemplate(number);
            QVERIFY2(found, qPrintable(QString::number(number)));
            QCOMPARE(found->number, number);
        }
        for (int number : kDialogNumbers)
            QVERIFY2(FindDialogTemplate(number), qPrintable(QString::number(number)));
        QCOMPARE(AllDialogTemplates().size(), std::size(kPageNumbers) + std::size(kDialogNumbers));
        QVERIFY(!FindDialogTemplate(111));
        QVERIFY(!FindDialogTemplate(0));
    }

    void idsAreUniqueAndControlsLieInsideTheirDialog()
    {
        for (const DialogTemplate &dialog : AllDialogTemplates()) {
            const QRect bounds(QPoint(0, 0), dialog.size);
            QSet<int> ids;
            for (const DialogControlTemplate &control : dialog.controls) {
                const QString where = QStringLiteral("template %1 control %2").arg(dialog.number).arg(control.id);
                QVERIFY2(!control.rect.isEmpty(), qPrintable(where));
                QVERIFY2(bounds.contains(control.rect), qPrintable(where));
                if (control.id == IDC_STATIC)
                    continue;
                QVERIFY2(!ids.contains(control.id), qPrintable(where + QStringLiteral(" appears twice")));
                ids.insert(control.id);
                QCOMPARE(dialog.control(control.id), &control);
            }
        }
    }

    void pagesShareSizeAndFrame()
    {
        for (int number : kPageNumbers) {
            const DialogTemplate &page = *FindDialogTemplate(number);
            QCOMPARE(page.size, QSize(PAGE_WIDTH_DLU, PAGE_HEIGHT_DLU));
            QCOMPARE(page.caption, LoadString(IDS_PRODUCT_NAME));
            if (number == IDD_RESULTS_PAGE)
                continue;
            QVERIFY(page.controls.size() >= 4);
            QCOMPARE(page.controls[0].kind, DialogControlKind::Picture);
            QCOMPARE(page.controls[0].imageId, IDB_PAGE_PICTURE);
            QCOMPARE(page.controls[1].kind, DialogControlKind::Frame);
            QCOMPARE(page.controls[1].rect, QRect(110, 0, 222, 178));
            QCOMPARE(page.controls[2].rect, QRect(120, 13, 205, 8));
            QCOMPARE(page.controls[3].rect.x(), 120);
            QCOMPARE(page.controls[3].rect.width(), 205);
        }
        const DialogTemplate &results = *FindDialogTemplate(IDD_RESULTS_PAGE);
        QVERIFY(std::none_of(results.controls.begin(), results.controls.end(),
                             [](const DialogControlTemplate &c) { return c.kind == DialogControlKind::Frame; }));
    }

    void lookupsByIdAndTexts()
    {
        const DialogTemplate &criteria = *FindDialogTemplate(IDD_CRITERIA_PAGE);
        QVERIFY(!criteria.control(IDC_STATIC));
        QVERIFY(!criteria.control(IDC_EXPRESS));
        // The check boxes read top to bottom Location, Name, Extension, Size,
        // Creation, Modified, Accessed.
        const int order[] = {IDC_CHK_LOCATION, IDC_CHK_NAME, IDC_CHK_EXTENSION, IDC_CHK_SIZE,
                             IDC_CHK_CREATION, IDC_CHK_MODIFIED, IDC_CHK_ACCESSED};
        for (size_t i = 1; i < std::size(order); ++i)
            QVERIFY(criteria.control(order[i - 1])->rect.y() < criteria.control(order[i])->rect.y());
        QCOMPARE(criteria.control(IDC_CHK_MODIFIED)->text, LoadString(IDS_CRITERION_MODIFIED));
        QCOMPARE(criteria.control(IDC_CHK_MODIFIED)->textId, IDS_CRITERION_MODIFIED);

        // Numbers reused across templates mean different controls.
        QCOMPARE(FindDialogTemplate(IDD_NAME_PAGE)->control(IDC_NAME_TITLE)->text, LoadString(IDS_NAME_TITLE));
        QCOMPARE(FindDialogTemplate(IDD_SCAN)->control(IDCANCEL)->text, QStringLiteral("&Cancel"));
        const DialogTemplate &results = *FindDialogTemplate(IDD_RESULTS_PAGE);
        for (int button : {IDC_ELIMINATE, IDC_COMPRESS, IDC_MOVE, IDC_DELETE})
            QVERIFY(results.control(button)->disabled);
        QCOMPARE(results.control(IDC_FREE_SPACE_TEXT)->alignment, Qt::AlignRight);
    }

    void placeControlUsesTheDialogFont()
    {
        const CDialogUnits units(DialogFont());
        const DialogTemplate &results = *FindDialogTemplate(IDD_RESULTS_PAGE);
        QCOMPARE(DialogPixelSize(results), units.toPixels(QSize(332, 178)));

        QWidget page;
        page.resize(DialogPixelSize(results));
        QPushButton remove(&page);
        PlaceControl(&remove, results, IDC_DELETE);
        QCOMPARE(remove.geometry(), units.toPixels(QRect(278, 163, 50, 14)));
        QVERIFY(QRect(QPoint(0, 0), page.size()).contains(remove.geometry()));

        // An id the template does not have leaves the widget alone.
        const QRect before = remove.geometry();
        PlaceControl(&remove, results, IDC_EXPRESS);
        QCOMPARE(remove.geometry(), before);

        // A combo box takes the template's width but keeps its own height.
        QComboBox drives(&page);
        PlaceControl(&drives, *FindDialogTemplate(IDD_DRIVE_PAGE), IDC_DRIVES);
        QCOMPARE(drives.pos(), units.toPixels(QRect(131, 90, 173, 76)).topLeft());
        QCOMPARE(drives.width(), units.toPixelsX(173));
        QCOMPARE(drives.height(), drives.sizeHint().height());
    }
};

QTEST_MAIN(TestDialogTemplates)
#include "tst_dialogtemplates.moc"
