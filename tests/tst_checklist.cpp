#include "controls/CCheckBoxListCtrl.h"
#include "controls/CSortArrowHeader.h"
#include "controls/CheckBoxBitmap.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QVBoxLayout>

#include <vector>

namespace {

// One check-box cell, row by row: '.' background, 'g' grey border,
// 'w' white inside, 't' tick.
const char *const kCell[16] = {
    "................",
    "................",
    "...ggggggggggg..",
    "...gwwwwwwwwwg..",
    "...gwwwwwwwtwg..",
    "...gwwwwwwttwg..",
    "...gwtwwwtttwg..",
    "...gwttwtttwwg..",
    "...gwtttttwwwg..",
    "...gwwtttwwwwg..",
    "...gwwwtwwwwwg..",
    "...gwwwwwwwwwg..",
    "...ggggggggggg..",
    "................",
    "................",
    "................",
};

// What cell `image` of the strip shows at (x, y); `transparent` for the
// background.
QRgb Expected(int image, int x, int y, QRgb transparent)
{
    switch (kCell[y][x]) {
    case 'g':
        return qRgb(128, 128, 128);
    case 'w':
        return qRgb(255, 255, 255);
    case 't':
        return image == 0 ? qRgb(255, 255, 255) : image == 1 ? qRgb(128, 0, 0) : qRgb(0, 0, 0);
    default:
        return transparent;
    }
}

QStandardItemModel *MakeModel(int nRows, QObject *parent, bool bChecks = true)
{
    auto *model = new QStandardItemModel(nRows, 3, parent);
    for (int row = 0; row < nRows; ++row) {
        auto *item = new QStandardItem(QStringLiteral("file %1").arg(row));
        if (bChecks)
            item->setCheckState(Qt::Checked);
        model->setItem(row, 0, item);
        model->setItem(row, 1, new QStandardItem(QStringLiteral("/folder/%1").arg(row)));
        model->setItem(row, 2, new QStandardItem(QString::number(row)));
    }
    return model;
}

// A window holding a line edit and the list, shown and active.
struct Window
{
    QWidget widget;
    QLineEdit *edit;
    CCheckBoxListCtrl *list;

    Window()
    {
        auto *layout = new QVBoxLayout(&widget);
        edit = new QLineEdit(&widget);
        list = new CCheckBoxListCtrl(&widget);
        layout->addWidget(edit);
        layout->addWidget(list);
        widget.resize(420, 320);
    }
    bool Show()
    {
        widget.show();
        widget.activateWindow();
        return QTest::qWaitForWindowActive(&widget);
    }
    QPoint CheckPoint(int row) const
    {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        return QPoint(rect.left() + 8, rect.center().y());
    }
    QPoint TextPoint(int row, int column = 0) const
    {
        const QRect rect = list->visualRect(list->model()->index(row, column));
        return QPoint(rect.left() + 40, rect.center().y());
    }
    // Real mouse input through the window, so focus and double-click
    // detection run as they do for a user.
    QPoint InWindow(const QPoint &viewportPoint) const
    {
        return list->viewport()->mapTo(&widget, viewportPoint);
    }
    void Click(const QPoint &viewportPoint)
    {
        QTest::mouseClick(widget.windowHandle(), Qt::LeftButton, {}, InWindow(viewportPoint));
    }
    void DoubleClick(const QPoint &viewportPoint)
    {
        QTest::mouseDClick(widget.windowHandle(), Qt::LeftButton, {}, InWindow(viewportPoint));
    }
};

using Flips = QList<QPair<int, int>>;

Flips Recorded(const QSignalSpy &spy)
{
    Flips flips;
    for (const QList<QVariant> &args : spy)
        flips.append({args.at(0).toInt(), args.at(1).toInt()});
    return flips;
}

// A large flat model that counts how often the view asks it for anything.
class CountingModel : public QAbstractTableModel
{
public:
    explicit CountingModel(int nRows)
        : m_checks(nRows, 1)
    {
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_checks.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 3; }
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override
    {
        ++m_nIndexCalls;
        return QAbstractTableModel::index(row, column, parent);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        ++m_nDataCalls;
        if (role == Qt::CheckStateRole && index.column() == 0)
            return m_checks[index.row()] ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::DisplayRole)
            return QStringLiteral("row %1").arg(index.row());
        return QVariant();
    }
    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (role != Qt::CheckStateRole || index.column() != 0)
            return false;
        m_checks[index.row()] = value.toInt() == Qt::Checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return QAbstractTableModel::flags(index) | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
    }
    void ResetCounts() { m_nDataCalls = m_nIndexCalls = 0; }

    mutable qint64 m_nDataCalls = 0;
    mutable qint64 m_nIndexCalls = 0;

private:
    std::vector<char> m_checks;
};

} // namespace

class TestCheckList : public QObject
{
    Q_OBJECT
private slots:
    void checkImagesArePixelExact();
    void listPaintsTheCheckImages();
    void clickOnCheckBoxTogglesWithoutSelectionOrFocus();
    void clickOnTextSelectsWithoutToggling();
    void setCheckReportsExactlyTheFlips();
    void rowsWithoutCheckBox();
    void doubleClickRules();
    void spaceFlipsEverySelectedRow();
    void flipCostDoesNotGrowWithRowCount();
    void checkBoxesGoWithTheFileColumn();
    void typingFindsTheNextFileByName();
};

void TestCheckList::checkImagesArePixelExact()
{
    const QImage strip = CheckBoxBitmap();
    QCOMPARE(strip.size(), QSize(48, 16));
    const QRgb yellow = qRgb(255, 255, 0);
    for (int image = 0; image < 3; ++image) {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb got = strip.pixel(16 * image + x, y);
                if (got != Expected(image, x, y, yellow))
                    QFAIL(qPrintable(QStringLiteral("strip image %1 pixel (%2,%3) is %4")
                                         .arg(image).arg(x).arg(y).arg(got, 8, 16)));
            }
        }
    }

    // The list's images: the yellow key has become transparent.
    CCheckBoxListCtrl list;
    QCOMPARE(list.CheckImages().GetImageCount(), 3);
    for (int image = 0; image < 3; ++image) {
        const QImage cell = list.CheckImages().GetImage(image).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(cell.size(), QSize(16, 16));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb want = Expected(image, x, y, 0);
                const QRgb got = cell.pixel(x, y);
                if (want == 0 ? qAlpha(got) != 0 : got != want)
                    QFAIL(qPrintable(QStringLiteral("image %1 pixel (%2,%3) is %4")
                                         .arg(image).arg(x).arg(y).arg(got, 8, 16)));
            }
        }
    }
}

void TestCheckList::listPaintsTheCheckImages()
{
    Window window;
    QStandardItemModel *model = MakeModel(4, &window.widget);
    model->item(1)->setCheckState(Qt::Unchecked);
    window.list->setModel(model);
    QVERIFY(window.Show());
    const QImage shot = window.list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb base = window.list->palette().color(QPalette::Base).rgb();
    for (int row : {0, 1}) {
        const QRect rect = window.list->visualRect(model->index(row, 0));
        const QPoint origin(rect.left(), rect.top() + (rect.height() - 16) / 2);
        const int image = row == 0 ? 1 : 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb got = shot.pixel(origin + QPoint(x, y));
                if (got != Expected(image, x, y, base))
                    QFAIL(qPrintable(QStringLiteral("row %1 pixel (%2,%3) is %4")
                                         .arg(row).arg(x).arg(y).arg(got, 8, 16)));
            }
        }
    }
}

void TestCheckList::clickOnCheckBoxTogglesWithoutSelectionOrFocus()
{
    Window window;
    QStandardItemModel *model = MakeModel(5, &window.widget);
    window.list->setModel(model);
    QVERIFY(window.Show());
    window.list->setCurrentIndex(model->index(1, 0));
    window.edit->setFocus();
    QTRY_VERIFY(window.edit->hasFocus());
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    window.Click(window.CheckPoint(3));
    QCOMPARE(Recorded(spy), Flips({{0, 3}}));
    QCOMPARE(window.list->GetCheck(3), 0);
    QCOMPARE(model->item(3)->checkState(), Qt::Unchecked);
    QCOMPARE(window.list->currentIndex().row(), 1);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({1}));
    QVERIFY(window.edit->hasFocus());

    window.Click(window.CheckPoint(3));
    QCOMPARE(Recorded(spy), Flips({{0, 3}, {1, 3}}));
    QCOMPARE(window.list->GetCheck(3), 1);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({1}));
}

void TestCheckList::clickOnTextSelectsWithoutToggling()
{
    Window window;
    QStandardItemModel *model = MakeModel(5, &window.widget);
    window.list->setModel(model);
    QVERIFY(window.Show());
    window.edit->setFocus();
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    window.Click(window.TextPoint(2));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({2}));
    QCOMPARE(window.list->currentIndex().row(), 2);
    QVERIFY(window.list->hasFocus());

    // Another column of the row selects too.
    window.Click(window.TextPoint(4, 2));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({4}));
}

void TestCheckList::setCheckReportsExactlyTheFlips()
{
    QStandardItemModel model(0, 1);
    CCheckBoxListCtrl list;
    list.setModel(&model);
    for (int row = 0; row < 3; ++row) {
        auto *item = new QStandardItem(QStringLiteral("f%1").arg(row));
        item->setCheckState(Qt::Unchecked);
        model.appendRow(item);
    }
    QSignalSpy spy(&list, &CCheckBoxListCtrl::checkChanged);
    // The signal comes while the change is in progress, with the model
    // already holding the new state.
    QList<int> seenInSlot;
    connect(&list, &CCheckBoxListCtrl::checkChanged, &list,
            [&](int, int row) { seenInSlot.append(list.GetCheck(row)); });

    list.SetCheck(1, true);
    QCOMPARE(Recorded(spy), Flips({{1, 1}}));
    QCOMPARE(seenInSlot, QList<int>({1}));
    list.SetCheck(1, true); // unchanged: nothing to report
    list.SetCheck(0, false);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(list.GetCheck(1), 1);

    QVERIFY(list.ToggleCheck(1));
    QVERIFY(list.ToggleCheck(2));
    QCOMPARE(Recorded(spy), Flips({{1, 1}, {0, 1}, {1, 2}}));
    QCOMPARE(seenInSlot, QList<int>({1, 0, 1}));

    // Removing and adding rows flips nothing.
    model.removeRows(0, 2);
    auto *fresh = new QStandardItem(QStringLiteral("new"));
    fresh->setCheckState(Qt::Checked);
    model.appendRow(fresh);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(list.GetCheck(0), 1);
    QCOMPARE(list.GetCheck(1), 1);

    // Rows that do not exist are neither read nor written.
    QCOMPARE(list.GetCheck(-1), -1);
    QCOMPARE(list.GetCheck(2), -1);
    list.SetCheck(7, true);
    QVERIFY(!list.ToggleCheck(7));
    QCOMPARE(spy.count(), 3);
}

void TestCheckList::rowsWithoutCheckBox()
{
    QStandardItemModel model(0, 1);
    model.appendRow(new QStandardItem(QStringLiteral("plain")));
    model.appendRow(new QStandardItem(QStringLiteral("other")));
    CCheckBoxListCtrl list;
    list.setModel(&model);
    QSignalSpy spy(&list, &CCheckBoxListCtrl::checkChanged);

    QCOMPARE(list.GetCheck(0), -1);
    QVERIFY(!list.ToggleCheck(0));
    QCOMPARE(list.GetCheck(0), -1);
    // A box given unchecked was never counted; one given checked now is.
    list.SetCheck(0, false);
    QCOMPARE(list.GetCheck(0), 0);
    QCOMPARE(spy.count(), 0);
    list.SetCheck(1, true);
    QCOMPARE(Recorded(spy), Flips({{1, 1}}));
}

void TestCheckList::doubleClickRules()
{
    Window window;
    QStandardItemModel *model = MakeModel(4, &window.widget);
    window.list->setModel(model);
    QVERIFY(window.Show());
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    // On the box: each press flips it, so it ends as it was.
    window.DoubleClick(window.CheckPoint(1));
    QCOMPARE(Recorded(spy), Flips({{0, 1}, {1, 1}}));
    QCOMPARE(window.list->GetCheck(1), 1);
    QVERIFY(window.list->GetSelectedRows().isEmpty());

    // On the first column's text: one flip, and the row is selected.
    spy.clear();
    window.DoubleClick(window.TextPoint(2));
    QCOMPARE(Recorded(spy), Flips({{0, 2}}));
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({2}));

    // On another column: no flip.
    spy.clear();
    window.DoubleClick(window.TextPoint(3, 1));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(window.list->GetCheck(3), 1);
}

void TestCheckList::spaceFlipsEverySelectedRow()
{
    Window window;
    QStandardItemModel *model = MakeModel(6, &window.widget);
    model->item(3)->setCheckState(Qt::Unchecked);
    window.list->setModel(model);
    QVERIFY(window.Show());
    window.list->setFocus();
    QItemSelectionModel *selection = window.list->selectionModel();
    // Selected out of order: the flips still come in list order.
    for (int row : {4, 1, 3})
        selection->select(model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    QTest::keyClick(window.list, Qt::Key_Space);
    QCOMPARE(Recorded(spy), Flips({{0, 1}, {1, 3}, {0, 4}}));
    for (int row = 0; row < 6; ++row)
        QCOMPARE(window.list->GetCheck(row), row == 1 || row == 4 ? 0 : 1);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({1, 3, 4}));

    // A list without boxes keeps the usual space-bar behaviour and reports nothing.
    QStandardItemModel *plain = MakeModel(3, &window.widget, false);
    window.list->setModel(plain);
    window.list->selectionModel()->select(plain->index(0, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(window.list, Qt::Key_Space);
    QCOMPARE(spy.count(), 3);
    QCOMPARE(window.list->GetCheck(0), -1);
}

void TestCheckList::flipCostDoesNotGrowWithRowCount()
{
    const int rows = 1000000;
    Window window;
    CountingModel model(rows);
    window.list->setModel(&model);
    QVERIFY(window.Show());
    QCoreApplication::processEvents();
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    // The last row, far off screen, and a row on screen.
    for (int row : {rows - 1, 0}) {
        model.ResetCounts();
        window.list->SetCheck(row, false);
        QVERIFY(window.list->ToggleCheck(row));
        QCOMPARE(window.list->GetCheck(row), 1);
        QVERIFY2(model.m_nDataCalls <= 8, qPrintable(QString::number(model.m_nDataCalls)));
        QVERIFY2(model.m_nIndexCalls <= 16, qPrintable(QString::number(model.m_nIndexCalls)));
        // Repainting what is on screen is all that follows.
        QCoreApplication::processEvents();
        QVERIFY2(model.m_nDataCalls < 20000, qPrintable(QString::number(model.m_nDataCalls)));
        QVERIFY2(model.m_nIndexCalls < 20000, qPrintable(QString::number(model.m_nIndexCalls)));
    }
    QCOMPARE(Recorded(spy), Flips({{0, rows - 1}, {1, rows - 1}, {0, 0}, {1, 0}}));
}



// The user drags the file column to the far right with the mouse: its check
// boxes are painted there and clicked there, and nothing else carries any.
void TestCheckList::checkBoxesGoWithTheFileColumn()
{
    Window window;
    QStandardItemModel *model = MakeModel(4, &window.widget);
    model->item(2)->setCheckState(Qt::Unchecked);
    window.list->setModel(model);
    QVERIFY(window.Show());
    CSortArrowHeader *header = window.list->SortHeader();
    QWindow *handle = window.widget.windowHandle();
    auto inHeader = [&](int x) {
        return header->viewport()->mapTo(&window.widget, QPoint(x, header->height() / 2));
    };
    const int from = header->sectionViewportPosition(0) + header->sectionSize(0) / 2;
    const int to = header->sectionViewportPosition(2) + header->sectionSize(2) - 4;
    QTest::mousePress(handle, Qt::LeftButton, {}, inHeader(from));
    for (int x = from; x <= to; x += 8)
        QTest::mouseMove(handle, inHeader(x));
    QTest::mouseMove(handle, inHeader(to));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, inHeader(to));
    QCOMPARE(header->visualIndex(0), 2);
    QVERIFY(header->sectionViewportPosition(0) > header->sectionViewportPosition(2));

    const QImage shot = window.list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb base = window.list->palette().color(QPalette::Base).rgb();
    for (int row : {0, 2}) {
        const QRect rect = window.list->visualRect(model->index(row, 0));
        const QPoint origin(rect.left(), rect.top() + (rect.height() - 16) / 2);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                QCOMPARE(shot.pixel(origin + QPoint(x, y)), Expected(row == 0 ? 1 : 0, x, y, base));
    }
    // The column now first on screen shows no box.
    const QRect first = window.list->visualRect(model->index(0, 1));
    QCOMPARE(first.left(), 0);
    const QPoint firstOrigin(0, first.top() + (first.height() - 16) / 2);
    int border = 0;
    for (int x = 3; x <= 13; ++x)
        border += shot.pixel(firstOrigin + QPoint(x, 2)) == qRgb(128, 128, 128) ? 1 : 0;
    QVERIFY(border < 11);

    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);
    window.Click(window.CheckPoint(2));
    QCOMPARE(Recorded(spy), Flips({{1, 2}}));
    // A click where the box stood before the move is a plain click on a row.
    window.Click(QPoint(8, first.center().y()));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({0}));
}

// Keys go where the user's keys go: to the window, which hands them to the
// widget with the focus.
void TestCheckList::typingFindsTheNextFileByName()
{
    // Long enough that the typed letters of one word count as one search on
    // a loaded machine; the test never waits for it to run out.
    QApplication::setKeyboardInputInterval(60000);
    Window window;
    auto *model = new QStandardItemModel(0, 2, &window.widget);
    const QStringList names{"alpha.txt", "beta.txt", "Bravo.doc", "charlie", "brown.log"};
    for (const QString &name : names) {
        auto *item = new QStandardItem(name);
        item->setCheckState(Qt::Checked);
        // The folder of every file starts with the letters typed below.
        model->appendRow({item, new QStandardItem(QStringLiteral("br/") + name)});
    }
    window.list->setModel(model);
    QVERIFY(window.Show());
    // The last click was on the folder column of the first row.
    window.Click(window.TextPoint(0, 1));
    QVERIFY(window.list->hasFocus());
    QWindow *handle = window.widget.windowHandle();
    QSignalSpy spy(window.list, &CCheckBoxListCtrl::checkChanged);

    QTest::keyClick(handle, Qt::Key_B);
    QTest::keyClick(handle, Qt::Key_R);
    QCOMPARE(window.list->currentIndex().row(), 2);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({2}));
    QTest::keyClick(handle, Qt::Key_O);
    QCOMPARE(window.list->currentIndex().row(), 4);
    QCOMPARE(window.list->GetSelectedRows(), QVector<int>({4}));
    QVERIFY(spy.isEmpty());

    // Space flips the found row's box and is no part of a name search.
    QTest::keyClick(handle, Qt::Key_Space);
    QCOMPARE(Recorded(spy), Flips({{0, 4}}));
    QCOMPARE(window.list->currentIndex().row(), 4);
    QApplication::setKeyboardInputInterval(400);
}

QTEST_MAIN(TestCheckList)
#include "tst_checklist.moc"
