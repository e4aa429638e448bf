#include "controls/CCheckBoxListCtrl.h"
#include "controls/CTypedItemModel.h"
#include "core/CListSorter.h"
#include "controls/CSortArrowHeader.h"
#include "controls/SystemColors.h"
#include "ClassicPalette.h"

#include <QAbstractTableModel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <algorithm>
#include <limits>

namespace {

QStringList Ordered(const QStringList &texts, bool bAscending, int nType)
{
    QVector<QVariant> values;
    for (const QString &text : texts)
        values.append(text);
    QStringList out;
    for (int row : CListSorter(values).Sort(bAscending, nType))
        out.append(texts.at(row));
    return out;
}

// A model that sorts itself and records each request.
class SelfSortingModel : public QAbstractTableModel
{
public:
    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 3; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(index.row() * 10 + index.column()) : QVariant();
    }
    QVariant headerData(int section, Qt::Orientation, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("Column %1").arg(section)) : QVariant();
    }
    void sort(int column, Qt::SortOrder order) override { m_sorts.append({column, order}); }

    QList<QPair<int, Qt::SortOrder>> m_sorts;
};

struct ListWindow
{
    CCheckBoxListCtrl list;
    CSortArrowHeader *header() { return list.SortHeader(); }

    bool Show()
    {
        list.resize(480, 240);
        list.show();
        list.activateWindow();
        return QTest::qWaitForWindowActive(&list);
    }
    QPoint InWindow(int column) const
    {
        CSortArrowHeader *h = list.SortHeader();
        const QPoint point(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        return h->viewport()->mapTo(list.window(), point);
    }
    void ClickHeader(int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(list.window()->windowHandle(), button, {}, InWindow(column));
    }
    // Drags `column` by the mouse, in small steps, to header x `to`.
    void DragHeader(int column, int to)
    {
        CSortArrowHeader *h = list.SortHeader();
        QWindow *handle = list.window()->windowHandle();
        auto at = [&](int x) { return h->viewport()->mapTo(list.window(), QPoint(x, h->height() / 2)); };
        const int from = h->sectionViewportPosition(column) + h->sectionSize(column) / 2;
        QTest::mousePress(handle, Qt::LeftButton, {}, at(from));
        const int step = to > from ? 6 : -6;
        for (int x = from; step > 0 ? x < to : x > to; x += step)
            QTest::mouseMove(handle, at(x));
        QTest::mouseMove(handle, at(to));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, at(to));
    }
};

} // namespace

class TestSortHeader : public QObject
{
    Q_OBJECT
private slots:
    // Light, face and shadow far apart, as on a classic desktop.
    void initTestCase() { ClassicPalette::Apply(); }
    void sorterOrdersEachColumnType();
    void equalKeysKeepTheirOrderBothWays();
    void sorterSurvivesAnyText();
    void clickSortsOnceAndSecondClickReverses();
    void standardModelSortKeepsChecksAndSelectionWithItems();
    void disabledHeaderNeitherPressesNorSorts();
    void arrowPixelsInBothDirections();
    void pressedLookFollowsTheMouse();
    void columnsKeepTheMinimumWidth();
    void draggedColumnsPaintAndSortInTheirNewPlaces();
    void arrowStaysVisibleOnAPaleFace();
};

void TestSortHeader::sorterOrdersEachColumnType()
{
    // Integer: the leading number of the text alone, so a small number of
    // megabytes sorts before a larger number of kilobytes.
    QCOMPARE(Ordered({"100 KB", "2.50 MB", "  -3x", "abc", "+7", "99999999999999999999999"}, true,
                     CListSorter::TypeInteger),
             QStringList({"  -3x", "abc", "2.50 MB", "+7", "100 KB", "99999999999999999999999"}));
    QCOMPARE(CListSorter::LeadingInteger(u"99999999999999999999"), std::numeric_limits<qint64>::max());
    QCOMPARE(CListSorter::LeadingInteger(u"-99999999999999999999"), std::numeric_limits<qint64>::min());
    QCOMPARE(CListSorter::LeadingInteger(u"\t 42 and more"), 42);

    QCOMPARE(Ordered({"beta", "Alpha", "gamma", "alpha", "Beta2"}, true, CListSorter::TypeText),
             QStringList({"Alpha", "alpha", "beta", "Beta2", "gamma"}));
    QCOMPARE(Ordered({"beta", "Alpha", "gamma", "alpha"}, false, CListSorter::TypeText),
             QStringList({"gamma", "beta", "Alpha", "alpha"}));

    QCOMPARE(Ordered({"1.5", "1.25e1", "-0.5", ".5", "x", "1e999", "2.", "-1e999"}, true,
                     CListSorter::TypeDecimal),
             QStringList({"-1e999", "-0.5", "x", ".5", "1.5", "2.", "1.25e1", "1e999"}));

    // Dates as the user's locale shows them; a text that is no date sorts
    // before every date, in a class of its own.
    const QLocale locale;
    const QDateTime base(QDate(2021, 3, 4), QTime(10, 30));
    const QString early = locale.toString(base.addYears(-30), QLocale::ShortFormat);
    const QString middle = locale.toString(base, QLocale::ShortFormat);
    const QString late = locale.toString(base.addDays(400), QLocale::ShortFormat);
    const QString iso = base.addDays(1).toString(Qt::ISODate);
    QVERIFY(CListSorter::ParseDateTime(middle).isValid());
    QCOMPARE(Ordered({late, "never", middle, early, iso}, true, CListSorter::TypeDate),
             QStringList({"never", early, middle, iso, late}));
    QCOMPARE(Ordered({late, "never", middle, early, iso}, false, CListSorter::TypeDate),
             QStringList({late, iso, middle, early, "never"}));

    // No type, or an unknown one, moves nothing.
    QCOMPARE(Ordered({"b", "a", "c"}, true, CListSorter::TypeNone), QStringList({"b", "a", "c"}));
    QCOMPARE(Ordered({"b", "a", "c"}, false, 9), QStringList({"b", "a", "c"}));
}

void TestSortHeader::equalKeysKeepTheirOrderBothWays()
{
    const QStringList texts{"5 first", "1", "5 second", "5.0 third", "1 again", "5 fourth"};
    QCOMPARE(Ordered(texts, true, CListSorter::TypeInteger),
             QStringList({"1", "1 again", "5 first", "5 second", "5.0 third", "5 fourth"}));
    QCOMPARE(Ordered(texts, false, CListSorter::TypeInteger),
             QStringList({"5 first", "5 second", "5.0 third", "5 fourth", "1", "1 again"}));
    QCOMPARE(Ordered(texts, false, CListSorter::TypeDecimal),
             QStringList({"5 first", "5 second", "5.0 third", "5 fourth", "1", "1 again"}));
    const QString day = QLocale().toString(QDateTime(QDate(2020, 1, 1), QTime(8, 0)), QLocale::ShortFormat);
    QCOMPARE(Ordered({day, "bad", day + " ", "junk"}, true, CListSorter::TypeDate),
             QStringList({"bad", "junk", day, day + " "}));
    QCOMPARE(Ordered({"x", "X", "y"}, false, CListSorter::TypeText), QStringList({"y", "x", "X"}));
}

void TestSortHeader::sorterSurvivesAnyText()
{
    QRandomGenerator random(1201);
    QStringList texts{"", " ", "-", "+", ".", "e5", "1e", "1e+", "nan", "inf", "-inf", "0x1F",
                      QString(400, QLatin1Char('9')), "1" + QString(400, QLatin1Char('0')) + "e-999",
                      QString::fromUtf8("\xF0\x9F\x98\x80 smile"), QString(QChar(0xD800)), "\t\n\v\f\r7"};
    const QString alphabet = QStringLiteral(" \t+-.,:/eE0123456789aZ\u00e9\u00c9\u4e2d");
    for (int i = 0; i < 500; ++i) {
        QString text;
        const int length = random.bounded(12);
        for (int c = 0; c < length; ++c)
            text += alphabet.at(random.bounded(alphabet.size()));
        texts.append(text);
    }
    for (int type = -1; type <= 5; ++type) {
        for (bool bAscending : {true, false}) {
            QVector<QVariant> values;
            for (const QString &text : texts)
                values.append(text);
            std::vector<int> order = CListSorter(values).Sort(bAscending, type);
            std::sort(order.begin(), order.end());
            for (int row = 0; row < texts.size(); ++row)
                QCOMPARE(order[row], row);
        }
    }
}

void TestSortHeader::clickSortsOnceAndSecondClickReverses()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    QVERIFY(window.Show());
    QSignalSpy spy(window.header(), &CSortArrowHeader::sorted);

    window.ClickHeader(1);
    QCOMPARE(model.m_sorts, (QList<QPair<int, Qt::SortOrder>>{{1, Qt::AscendingOrder}}));
    QCOMPARE(window.header()->GetSortColumn(), 1);
    QVERIFY(window.header()->IsAscending());

    window.ClickHeader(1);
    window.ClickHeader(2);
    window.ClickHeader(2, Qt::RightButton);
    QCOMPARE(model.m_sorts, (QList<QPair<int, Qt::SortOrder>>{
                                {1, Qt::AscendingOrder}, {1, Qt::DescendingOrder}, {2, Qt::AscendingOrder}}));
    QCOMPARE(spy.count(), 3);
    QCOMPARE(window.header()->GetSortColumn(), 2);

    // The owner clears the arrow without sorting; the next click starts over.
    QCOMPARE(window.header()->SetSortColumn(-1, true), 2);
    window.ClickHeader(2);
    QCOMPARE(model.m_sorts.last(), qMakePair(2, Qt::AscendingOrder));
    QCOMPARE(model.m_sorts.size(), 4);
}

void TestSortHeader::standardModelSortKeepsChecksAndSelectionWithItems()
{
    ListWindow window;
    CTypedItemModel model(0, 2);
    const QStringList names{"delta", "Alpha", "charlie", "bravo"};
    const QStringList sizes{"3 KB", "12 KB", "3 KB", "1 MB"};
    for (int row = 0; row < names.size(); ++row) {
        auto *name = new QStandardItem(names[row]);
        name->setCheckState(row % 2 ? Qt::Checked : Qt::Unchecked);
        name->setData(row, Qt::UserRole);
        model.appendRow({name, new QStandardItem(sizes[row])});
    }
    window.list.setModel(&model);
    model.SetColumnType(0, CListSorter::TypeText);
    model.SetColumnType(1, CListSorter::TypeInteger);
    QCOMPARE(model.GetColumnType(5), 0);
    QVERIFY(window.Show());
    window.list.selectionModel()->select(model.index(0, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);

    auto column = [&](int c, int role = Qt::DisplayRole) {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row)
            out.append(model.index(row, c).data(role).toString());
        return out;
    };
    auto checkedNames = [&] {
        QStringList out;
        for (int row = 0; row < model.rowCount(); ++row) {
            if (window.list.GetCheck(row) == 1)
                out.append(model.item(row)->text());
        }
        return out;
    };

    window.ClickHeader(0);
    QCOMPARE(column(0), QStringList({"Alpha", "bravo", "charlie", "delta"}));
    QCOMPARE(column(0, Qt::UserRole), QStringList({"1", "3", "2", "0"}));
    QCOMPARE(checkedNames(), QStringList({"Alpha", "bravo"}));
    QCOMPARE(window.list.GetSelectedRows(), QVector<int>({3}));

    window.ClickHeader(1);
    QCOMPARE(column(1), QStringList({"1 MB", "3 KB", "3 KB", "12 KB"}));
    QCOMPARE(column(0), QStringList({"bravo", "charlie", "delta", "Alpha"}));
    window.ClickHeader(1);
    QCOMPARE(column(0), QStringList({"Alpha", "charlie", "delta", "bravo"}));
    QCOMPARE(checkedNames(), QStringList({"Alpha", "bravo"}));
    QCOMPARE(window.list.GetSelectedRows(), QVector<int>({2}));
    // The sort's bookkeeping leaves nothing behind in the items.
    QCOMPARE(model.itemData(model.index(0, 1)).size(), 1);

    // A column whose type was never set keeps the order.
    model.setColumnCount(3);
    window.header()->SortByColumn(2);
    QCOMPARE(column(0), QStringList({"Alpha", "charlie", "delta", "bravo"}));
}

void TestSortHeader::disabledHeaderNeitherPressesNorSorts()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    window.header()->setEnabled(false);
    QVERIFY(window.Show());
    QTest::mousePress(window.list.window()->windowHandle(), Qt::LeftButton, {}, window.InWindow(0));
    QCOMPARE(window.header()->GetPressedItem(), -1);
    QTest::mouseRelease(window.list.window()->windowHandle(), Qt::LeftButton, {}, window.InWindow(0));
    QVERIFY(model.m_sorts.isEmpty());
    QCOMPARE(window.header()->GetSortColumn(), -1);
}

void TestSortHeader::arrowPixelsInBothDirections()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    QVERIFY(window.Show());
    CSortArrowHeader *header = window.header();
    header->resizeSection(1, 120);
    const int s = QFontMetrics(header->DrawingFont()).horizontalAdvance(QLatin1Char(' '));
    QVERIFY(s > 0);
    const int T = 0;
    const int R = header->sectionViewportPosition(1) + header->sectionSize(1);
    const int B = header->viewport()->height();
    QVERIFY(B - 2 * s > T + 2 * s + 2);
    const QRgb light = GetSysColor(COLOR_BTNHIGHLIGHT).rgb();
    const QRgb dark = GetSysColor(COLOR_BTNSHADOW).rgb();
    const QRgb face = GetSysColor(COLOR_BTNFACE).rgb();
    QVERIFY(light != dark && light != face && dark != face);

    // One row of the arrow's area as text: '.' face, 'L' light, 'D' dark.
    auto row = [&](const QImage &image, int y) {
        QString out;
        for (int x = R - 6 * s; x < R - 2 * s; ++x) {
            const QRgb colour = image.pixel(x, y);
            out += colour == face ? QLatin1Char('.') : colour == light ? QLatin1Char('L')
                 : colour == dark ? QLatin1Char('D') : QLatin1Char('?');
        }
        return out;
    };
    auto run = [&](int first, int last, QChar c) {
        QString out;
        for (int x = R - 6 * s; x < R - 2 * s; ++x)
            out += x >= first && x <= last ? c : QLatin1Char('.');
        return out;
    };
    const QString empty = run(1, 0, QLatin1Char('.'));
    const QRegularExpression legs(QStringLiteral("^\\.*D+\\.+L+\\.*$"));
    const int middle = (T + 2 * s - 1 + B - 2 * s) / 2;

    header->SetSortColumn(1, true);
    QImage up = header->viewport()->grab().toImage();
    // Pointing up: a light base, a dark left leg and a light right one; the
    // dark leg stops one pixel short of the top.
    QCOMPARE(row(up, B - 2 * s), run(R - 5 * s - 1, R - 3 * s, QLatin1Char('L')));
    QCOMPARE(row(up, B - 2 * s + 1), empty);
    QCOMPARE(row(up, T + 2 * s - 2), empty);
    QVERIFY(row(up, T + 2 * s - 1) != empty);
    QVERIFY2(legs.match(row(up, middle)).hasMatch(), qPrintable(row(up, middle)));
    // The other columns carry no arrow.
    QCOMPARE((up.pixel(header->sectionSize(0) - 4 * s, middle)), face);

    header->SetSortColumn(1, false);
    QImage down = header->viewport()->grab().toImage();
    // Pointing down: a dark top edge ending in the light right leg, the
    // point at the bottom.
    QString top = run(R - 5 * s - 1, R - 3 * s - 1, QLatin1Char('D'));
    top[3 * s] = QLatin1Char('L'); // x = R - 3s
    QCOMPARE(row(down, T + 2 * s - 1), top);
    QCOMPARE(row(down, T + 2 * s - 2), empty);
    QCOMPARE(row(down, B - 2 * s + 1), empty);
    QCOMPARE((down.pixel(R - 4 * s - 1, B - 2 * s)), dark);
    QVERIFY2(legs.match(row(down, middle)).hasMatch(), qPrintable(row(down, middle)));

    // Item frames: light top and left, dark right and bottom.
    const int left = header->sectionViewportPosition(1);
    QCOMPARE((down.pixel(left, 3)), light);
    QCOMPARE((down.pixel(R - 1, 3)), dark);
    QCOMPARE((down.pixel(left + 5, B - 1)), dark);
}

void TestSortHeader::pressedLookFollowsTheMouse()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    QVERIFY(window.Show());
    CSortArrowHeader *header = window.header();
    QWindow *handle = window.list.window()->windowHandle();
    const QPoint inside = window.InWindow(0);

    QTest::mousePress(handle, Qt::LeftButton, {}, inside);
    QCOMPARE(header->GetPressedItem(), 0);
    const QImage pressed = header->viewport()->grab().toImage();
    QCOMPARE(pressed.pixel(0, 3), GetSysColor(COLOR_BTNSHADOW).rgb());

    QTest::mouseMove(handle, inside + QPoint(0, 200));
    QCOMPARE(header->GetPressedItem(), -1);
    QTest::mouseMove(handle, inside);
    QCOMPARE(header->GetPressedItem(), 0);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, inside);
    QCOMPARE(header->GetPressedItem(), -1);
    const QImage released = header->viewport()->grab().toImage();
    QCOMPARE(released.pixel(0, 3), GetSysColor(COLOR_BTNHIGHLIGHT).rgb());

    // A press right on a divider presses no item.
    const int divider = header->sectionViewportPosition(1);
    QTest::mousePress(handle, Qt::LeftButton, {},
                      header->viewport()->mapTo(window.list.window(), QPoint(divider - 1, 5)));
    QCOMPARE(header->GetPressedItem(), -1);
    QTest::mouseRelease(handle, Qt::LeftButton, {},
                        header->viewport()->mapTo(window.list.window(), QPoint(divider - 1, 5)));
}

void TestSortHeader::columnsKeepTheMinimumWidth()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    CSortArrowHeader *header = window.header();
    const int minimum = 10 * header->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    QCOMPARE(header->MinimumColumnWidth(), minimum);
    header->resizeSection(0, 3);
    QCOMPARE(header->sectionSize(0), minimum);
    header->resizeSection(0, minimum + 40);
    QCOMPARE(header->sectionSize(0), minimum + 40);
    // Hiding a column is not narrowing it.
    header->hideSection(1);
    QVERIFY(header->isSectionHidden(1));
    header->showSection(1);
    QVERIFY(header->sectionSize(1) >= minimum);
}

void TestSortHeader::draggedColumnsPaintAndSortInTheirNewPlaces()
{
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    QVERIFY(window.Show());
    CSortArrowHeader *header = window.header();
    for (int column = 0; column < 3; ++column)
        header->resizeSection(column, 100 + 10 * column);

    // The last column to the front, then the first one to the end.
    window.DragHeader(2, 4);
    QCOMPARE(header->visualIndex(2), 0);
    window.DragHeader(0, header->sectionViewportPosition(1) + header->sectionSize(1) - 4);
    QCOMPARE(header->visualIndex(0), 2);
    QCOMPARE(header->logicalIndex(1), 1);
    // Dragging is no click: nothing was sorted.
    QVERIFY(model.m_sorts.isEmpty());
    QCOMPARE(header->GetSortColumn(), -1);

    // A click on a moved column sorts that column of the model.
    window.ClickHeader(0);
    QCOMPARE(model.m_sorts, (QList<QPair<int, Qt::SortOrder>>{{0, Qt::AscendingOrder}}));

    // Order on screen: columns 2, 1, 0; each item framed where it now
    // stands, the arrow in column 0, now the last one.
    const QImage shot = header->viewport()->grab().toImage();
    const QRgb light = GetSysColor(COLOR_BTNHIGHLIGHT).rgb();
    const QRgb dark = GetSysColor(COLOR_BTNSHADOW).rgb();
    const QRgb face = GetSysColor(COLOR_BTNFACE).rgb();
    const int mid = header->height() / 2;
    const int x1 = header->sectionViewportPosition(1);
    const int x0 = header->sectionViewportPosition(0);
    const int w2 = header->sectionSize(2);
    const int w1 = header->sectionSize(1);
    const int w0 = header->sectionSize(0);
    QCOMPARE(header->sectionViewportPosition(2), 0);
    QCOMPARE(x1, w2);
    QCOMPARE(x0, w2 + w1);
    QCOMPARE(shot.pixel(x1 - 1, mid), dark);
    QCOMPARE(shot.pixel(x1, mid), light);
    QCOMPARE(shot.pixel(x0 - 1, mid), dark);
    QCOMPARE(shot.pixel(x0, mid), light);
    QCOMPARE(shot.pixel(x0 + w0 - 1, mid), dark);

    auto arrowPixels = [&](int left, int width) {
        int count = 0;
        for (int x = left + width / 2; x < left + width - 1; ++x)
            for (int y = 1; y < header->height() - 1; ++y)
                count += shot.pixel(x, y) == light || shot.pixel(x, y) == dark ? 1 : 0;
        return count;
    };
    QVERIFY(arrowPixels(x0, w0) > 4);
    QCOMPARE(arrowPixels(0, w2), 0);
    QCOMPARE(arrowPixels(x1, w1), 0);
    // Texts follow their columns.
    auto textPixels = [&](int left, int width) {
        int count = 0;
        for (int x = left + 2; x < left + width - 2; ++x)
            for (int y = 2; y < header->height() - 2; ++y)
                count += shot.pixel(x, y) != face && shot.pixel(x, y) != light && shot.pixel(x, y) != dark ? 1 : 0;
        return count;
    };
    QVERIFY(textPixels(0, w2) > 0);
    QVERIFY(textPixels(x0, w0) > 0);
}

void TestSortHeader::arrowStaysVisibleOnAPaleFace()
{
    QPalette pale = ClassicPalette::Palette();
    pale.setColor(QPalette::Button, QColor(239, 239, 239));
    pale.setColor(QPalette::Light, QColor(255, 255, 255));
    pale.setColor(QPalette::Dark, QColor(159, 159, 159));
    QApplication::setPalette(pale);
    ListWindow window;
    SelfSortingModel model;
    window.list.setModel(&model);
    QVERIFY(window.Show());
    CSortArrowHeader *header = window.header();
    header->resizeSection(1, 120);
    const int s = QFontMetrics(header->DrawingFont()).horizontalAdvance(QLatin1Char(' '));
    const int R = header->sectionViewportPosition(1) + header->sectionSize(1);
    const int B = header->viewport()->height();
    const QRgb dark = QColor(159, 159, 159).rgb();
    const QRgb face = QColor(239, 239, 239).rgb();

    header->SetSortColumn(1, true);
    const QImage up = header->viewport()->grab().toImage();
    // The base of the arrow pointing up, lit on a classic desktop, is drawn
    // in the shadow colour: every pixel of it shows.
    for (int x = R - 5 * s - 1; x <= R - 3 * s; ++x)
        QCOMPARE(up.pixel(x, B - 2 * s), dark);
    header->SetSortColumn(1, false);
    const QImage down = header->viewport()->grab().toImage();
    QCOMPARE(down.pixel(R - 3 * s, 2 * s - 1), dark);
    // The item frames keep the true highlight.
    QCOMPARE(down.pixel(header->sectionViewportPosition(1), 3), QColor(255, 255, 255).rgb());
    QCOMPARE(down.pixel(R - 3 * s - 2, 2 * s - 1), dark);
    QCOMPARE(down.pixel(R - 3 * s + 1, 2 * s - 1), face);
    ClassicPalette::Apply();
}

QTEST_MAIN(TestSortHeader)
#include "tst_sortheader.moc"
