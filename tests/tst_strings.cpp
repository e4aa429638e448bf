#include <QtTest>

#include "res/DialogUnits.h"
#include "res/StringTable.h"

class TestStrings : public QObject
{
    Q_OBJECT
private slots:
    void textsKeepLineBreaksAndQuotes()
    {
        const QString help = LoadString(211);
        QVERIFY(help.contains(QLatin1Char('\n')));
        QVERIFY(help.contains(QStringLiteral("\"BVHelp.chm\"  is missing")));
    }
    void unknownIdIsEmpty() { QVERIFY(LoadString(-1).isEmpty()); }

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
};

QTEST_MAIN(TestStrings)
#include "tst_strings.moc"
