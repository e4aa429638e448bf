#include <QtTest>

#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QRegularExpression>

namespace {

// Every IDS_ constant of the resource header, read from the source so that a
// new id without a text (or two names sharing a number) cannot slip through.
QList<QPair<QString, int>> declaredStringIds()
{
    QFile header(QStringLiteral(BV_SOURCE_DIR "/res/ResourceIds.h"));
    if (!header.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString source = QString::fromUtf8(header.readAll());
    QList<QPair<QString, int>> ids;
    static const QRegularExpression declaration(QStringLiteral(R"(constexpr int (IDS_\w+) = (\d+);)"));
    for (auto it = declaration.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        ids.append({match.captured(1), match.captured(2).toInt()});
    }
    return ids;
}

} // namespace

class TestStrings : public QObject
{
    Q_OBJECT
private slots:
    void everyDeclaredIdHasItsOwnText()
    {
        const QList<QPair<QString, int>> ids = declaredStringIds();
        QVERIFY2(ids.size() > 90, "the resource header could not be read");
        QSet<int> numbers;
        for (const auto &[name, number] : ids) {
            QVERIFY2(!LoadString(number).isEmpty(), qPrintable(name + QStringLiteral(" has no text")));
            QVERIFY2(!numbers.contains(number), qPrintable(name + QStringLiteral(" reuses a number")));
            numbers.insert(number);
        }
    }

    void unknownIdIsEmpty()
    {
        QVERIFY(LoadString(-1).isEmpty());
        QVERIFY(LoadString(0).isEmpty());
        QVERIFY(LoadString(129).isEmpty());
    }

    void textsKeepLineBreaksQuotesAndSpacing()
    {
        QCOMPARE(LoadString(IDS_HELP_ERROR),
                 QStringLiteral("Error while trying to strart the help file .\nThe file \"BVHelp.chm\"  is missing "
                                "or is corrupt, \nor your system doesn't support HTML help."));
        QCOMPARE(LoadString(IDS_CANT_CREATE_PATH),
                 QStringLiteral("Can't create the path \"%s\".\nPlease try another path."));
        QCOMPARE(LoadString(IDS_CONFIRM_DELETE),
                 QStringLiteral("\nAre you sure you want to permanently delete these files ?"));
        QCOMPARE(LoadString(IDS_COMPRESS_ERROR),
                 QStringLiteral("An error occured while compressing the file  :\n%s\nThe file wasn't compressed."));
        QVERIFY(LoadString(IDS_LOCATION_DESCRIPTION).contains(QStringLiteral("allowed.\n\n     Warning : Brimvale")));
        QVERIFY(LoadString(IDS_METHOD_DESCRIPTION).startsWith(QStringLiteral("     Choose")));
        QCOMPARE(LoadString(IDS_RESULTS_TITLE), QStringLiteral("    Results "));
        QCOMPARE(LoadString(IDS_LINK_SHARING_VIOLATION), QStringLiteral("A sharing violation occurred. "));
        QCOMPARE(LoadString(IDS_ABOUT_VERSION), QStringLiteral("Brimvale  Version 1.21"));
    }

    void mnemonicsAndLookAlikesStayDistinct()
    {
        QCOMPARE(LoadString(IDS_CRITERION_MODIFIED), QStringLiteral("Last Mo&dified Time"));
        QCOMPARE(LoadString(IDS_COMPRESS), QStringLiteral("Com&press"));
        // The message boxes say "&Ok", the About box "&OK".
        QCOMPARE(LoadString(IDS_OK), QStringLiteral("&Ok"));
        QCOMPARE(LoadString(IDS_ABOUT_OK), QStringLiteral("&OK"));
        QCOMPARE(LoadString(IDS_DETAILS_MORE), QStringLiteral("&Details >>"));
        QCOMPARE(LoadString(IDS_DETAILS_LESS), QStringLiteral("&Details <<"));
    }

    void formatsFillInAsCallersUseThem()
    {
        QCOMPARE(QString::asprintf(LoadString(IDS_SELECTION_FORMAT).toUtf8().constData(), "0 B", 0),
                 QStringLiteral("Selected : 0 B in 0 files"));
        QCOMPARE(QString::asprintf(LoadString(IDS_FREE_SPACE_FORMAT).toUtf8().constData(), "1.50 KB"),
                 QStringLiteral("Current Free Space : 1.50 KB"));
        QCOMPARE(QString::asprintf(LoadString(IDS_LINK_UNKNOWN_ERROR).toUtf8().constData(), 42),
                 QStringLiteral("Unknown Error (42) occurred."));
        QCOMPARE(LoadString(IDS_DATE_FORMAT), QStringLiteral("%x"));
        QCOMPARE(LoadString(IDS_ZIP_FILTER), QStringLiteral("Zip Files (*.zip)|*.zip|All Files (*.*)|*.*||"));
    }
};

QTEST_MAIN(TestStrings)
#include "tst_strings.moc"
