#include <QtTest>
#include <cerrno>

#include "controls/CFlatPushButton.h"
#include "controls/CSortArrowHeader.h"
#include "res/DialogTemplate.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "controls/CFailedFilesDlg.h"
#include "core/FileOpReason.h"

#include <QLabel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

namespace {

QRect TemplateRect(int id)
{
    QWidget probe;
    PlaceControl(&probe, *FindDialogTemplate(IDD_FAILED_FILES), id);
    return probe.geometry();
}

QStringList RowTexts(const QTreeView *list)
{
    QStringList texts;
    const QAbstractItemModel *model = list->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

} // namespace

class TestFailedFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(FindDialogTemplate(IDD_FAILED_FILES)); }

    void opensCollapsedAndDetailsTogglesTheList()
    {
        CFailedFilesDlg dialog;
        dialog.SetMessage(LoadString(IDS_DELETE_FAILED));
        dialog.SetFailedPaths({"/data/one.tmp"});
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Brimvale"));
        QVERIFY(dialog.GetMessageStatic()->text().startsWith(QStringLiteral("   Some files couldn't be deleted.")));
        QCOMPARE(dialog.GetOkButton()->text(), QStringLiteral("&Ok"));

        const QSize full = DialogPixelSize(*FindDialogTemplate(IDD_FAILED_FILES));
        const QRect ok = TemplateRect(IDOK);
        const int collapsedHeight = ok.y() + ok.height() + ok.height() / 3;
        QVERIFY(dialog.IsCollapsed());
        QCOMPARE(dialog.size(), QSize(full.width(), collapsedHeight));
        QCOMPARE(dialog.GetExpandedSize(), full);
        // Folded, the whole list lies below the dialog's bottom edge.
        QVERIFY(dialog.GetList()->geometry().top() >= collapsedHeight);
        QCOMPARE(dialog.GetDetailsButton()->text(), QStringLiteral("&Details >>"));

        const QPoint position = dialog.pos();
        QTest::mouseClick(dialog.GetDetailsButton(), Qt::LeftButton);
        QVERIFY(!dialog.IsCollapsed());
        QCOMPARE(dialog.size(), full);
        QVERIFY(dialog.rect().contains(dialog.GetList()->geometry()));
        QCOMPARE(dialog.GetDetailsButton()->text(), QStringLiteral("&Details <<"));

        QTest::mouseClick(dialog.GetDetailsButton(), Qt::LeftButton);
        QVERIFY(dialog.IsCollapsed());
        QCOMPARE(dialog.size(), QSize(full.width(), collapsedHeight));
        QCOMPARE(dialog.GetDetailsButton()->text(), QStringLiteral("&Details >>"));
        QCOMPARE(dialog.pos(), position);

        QTest::mouseClick(dialog.GetOkButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void listsEveryPathInTheOrderMet()
    {
        CFailedFilesDlg dialog;
        dialog.SetMessage(LoadString(IDS_MOVE_FAILED));
        const QList<QByteArray> paths = {"/z/last-name.tmp", "/a/First.tmp", "/m/bad\xff.tmp", "/b/new\nline"};
        dialog.SetFailedPaths(paths);
        dialog.show();
        QVERIFY(dialog.GetMessageStatic()->text().startsWith(QStringLiteral("   Some files couldn't be moved.")));
        const QTreeView *list = dialog.GetList();
        QCOMPARE(list->model()->rowCount(), paths.size());
        QCOMPARE(list->model()->columnCount(), 2);
        for (int row = 0; row < paths.size(); ++row) {
            // The raw bytes stay with the row, whatever the display makes of them.
            QCOMPARE(list->model()->index(row, 0).data(Qt::UserRole).toByteArray(), paths[row]);
            QCOMPARE(list->model()->index(row, 0).data().toString(), QString::fromUtf8(paths[row]));
        }
        QCOMPARE(dialog.GetHeader()->GetSortColumn(), -1);
        // Few rows: the column spans what the list shows, less two pixels.
        QTest::mouseClick(dialog.GetDetailsButton(), Qt::LeftButton);
        QTRY_COMPARE(list->header()->sectionSize(0) + list->header()->sectionSize(1), list->viewport()->width() - 2);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    }

    // More paths than the list shows at once: the vertical scroll bar takes
    // its share and the column still fits the visible width, so nothing
    // scrolls sideways.
    void columnFitsBesideTheScrollBar()
    {
        CFailedFilesDlg dialog;
        QList<QByteArray> paths;
        for (int i = 0; i < 200; ++i)
            paths << QByteArray("/data/folder/file-") + QByteArray::number(i);
        dialog.SetFailedPaths(paths);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(dialog.GetDetailsButton(), Qt::LeftButton);
        QTreeView *list = dialog.GetList();
        QTRY_VERIFY(list->verticalScrollBar()->isVisible());
        QTRY_COMPARE(list->header()->sectionSize(0) + list->header()->sectionSize(1), list->viewport()->width() - 2);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!list->horizontalScrollBar()->isVisible());
    }

    void eachRowSaysWhyItFailed()
    {
        CFailedFilesDlg dialog;
        const FileOpResult changed = FileOpResult::Make(FileOpCode::Changed, 0);
        const FileOpResult denied = FileOpResult::Make(FileOpCode::Permission, EACCES);
        dialog.SetFailedFiles({{"/a/changed.tmp", changed}, {"/a/denied.tmp", denied}});
        dialog.SetFailedPaths({"/a/plain.tmp"}); // no reason known: no tooltip
        QCOMPARE(dialog.GetFailedPaths(), QList<QByteArray>{"/a/plain.tmp"});
        dialog.SetFailedFiles({{"/a/changed.tmp", changed}, {"/a/denied.tmp", denied}});
        dialog.show();
        const QAbstractItemModel *model = dialog.GetList()->model();
        QCOMPARE(model->rowCount(), 2);
        // The reason is a column of its own, whole in its tooltip too.
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), LoadString(IDS_COLUMN_REASON));
        QCOMPARE(model->index(0, 1).data().toString(), DescribeFileOp(changed));
        QCOMPARE(model->index(1, 1).data().toString(), DescribeFileOp(denied));
        QCOMPARE(model->index(0, 0).data(Qt::ToolTipRole).toString(), DescribeFileOp(changed));
        QCOMPARE(model->index(1, 1).data(Qt::ToolTipRole).toString(), DescribeFileOp(denied));
        QTest::mouseClick(dialog.GetDetailsButton(), Qt::LeftButton);
        const QHeaderView *header = dialog.GetList()->header();
        const int reasonWidth = dialog.GetList()->fontMetrics().horizontalAdvance(DescribeFileOp(changed));
        QVERIFY(header->sectionSize(1) >= qMin(reasonWidth, (dialog.GetList()->viewport()->width() - 2) / 2));
        QVERIFY(header->sectionSize(0) >= header->sectionSize(1));
        // Without a known reason the cell stays empty.
        CFailedFilesDlg plain;
        plain.SetFailedPaths({"/a/plain.tmp"});
        plain.show();
        QCOMPARE(plain.GetList()->model()->index(0, 1).data().toString(), QString());
        QVERIFY(!DescribeFileOp(changed).isEmpty());
        QVERIFY(DescribeFileOp(changed) != DescribeFileOp(denied));
    }

    void headerSortsThePathsAsText()
    {
        CFailedFilesDlg dialog;
        dialog.SetFailedPaths({"/b/x", "/C/y", "/a/z"});
        dialog.show();
        dialog.GetHeader()->SortByColumn(0);
        QCOMPARE(RowTexts(dialog.GetList()), (QStringList{"/a/z", "/b/x", "/C/y"}));
        dialog.GetHeader()->SortByColumn(0);
        QCOMPARE(RowTexts(dialog.GetList()), (QStringList{"/C/y", "/b/x", "/a/z"}));
    }
};

QTEST_MAIN(TestFailedFiles)
#include "tst_failedfiles.moc"
