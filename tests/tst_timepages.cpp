#include <QtTest>

#include "WizardHarness.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatFrameDatePicker.h"
#include "criteria/CAccessedTimePage.h"
#include "criteria/CCreationTimePage.h"
#include "criteria/CModifiedTimePage.h"

#include <QLabel>

namespace {

CWizardPage *MakeTimePage(int nPage)
{
    switch (nPage) {
    case PAGE_CREATION: return new CCreationTimePage;
    case PAGE_MODIFIED: return new CModifiedTimePage;
    case PAGE_ACCESSED: return new CAccessedTimePage;
    default: return nullptr;
    }
}

struct TimeFields
{
    int CFileScan::*mode;
    CTime CFileScan::*from;
    CTime CFileScan::*to;
    int CFileScan::*flag;
};

TimeFields FieldsOf(int nPage)
{
    switch (nPage) {
    case PAGE_CREATION:
        return {&CFileScan::m_nCreationMode, &CFileScan::m_timeCreationFrom, &CFileScan::m_timeCreationTo,
                &CFileScan::m_bCreation};
    case PAGE_MODIFIED:
        return {&CFileScan::m_nModifiedMode, &CFileScan::m_timeModifiedFrom, &CFileScan::m_timeModifiedTo,
                &CFileScan::m_bModified};
    default:
        return {&CFileScan::m_nAccessedMode, &CFileScan::m_timeAccessedFrom, &CFileScan::m_timeAccessedTo,
                &CFileScan::m_bAccessed};
    }
}

// A custom run through the three time pages; `nPage` is shown first.
struct TimeWizard : WizardHarness
{
    explicit TimeWizard(int nPage, bool bAllTimes = true)
        : WizardHarness(MakeTimePage, nPage)
        , fields(FieldsOf(nPage))
    {
        scan.m_bExpress = 0;
        scan.*fields.flag = 1;
        if (bAllTimes)
            scan.m_bCreation = scan.m_bModified = scan.m_bAccessed = 1;
        if (!show())
            qFatal("the sheet was not shown");
        time = page<CTimePage>(nPage);
    }

    void chooseMode(int nMode)
    {
        time->GetModeCombo()->setCurrentIndex(nMode);
        emit time->GetModeCombo()->activated(nMode);
    }
    bool secondDateShown() const
    {
        return !time->GetToPicker()->isHidden() && !time->GetDlgItem(IDC_AND)->isHidden();
    }
    CTime &to() { return scan.*fields.to; }
    CTime &from() { return scan.*fields.from; }
    int &mode() { return scan.*fields.mode; }

    TimeFields fields;
    CTimePage *time = nullptr;
};

QDateTime Local(CTime time)
{
    return QDateTime::fromSecsSinceEpoch(time.GetTime(), Qt::LocalTime);
}

} // namespace

class TestTimePages : public QObject
{
    Q_OBJECT

private slots:
    void defaultsShowOlderThanWithoutTheSecondDate_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("creation") << int(PAGE_CREATION) << "Creation Time Selection";
        QTest::newRow("modified") << int(PAGE_MODIFIED) << "Last Modified Time Selection";
        QTest::newRow("accessed") << int(PAGE_ACCESSED) << "Last Accessed Time Selection";
    }
    void defaultsShowOlderThanWithoutTheSecondDate()
    {
        QFETCH(int, page);
        QFETCH(QString, title);
        TimeWizard wizard(page);
        const QDate today = QDate::currentDate();
        QCOMPARE(wizard.time->GetModeCombo()->count(), 3);
        QCOMPARE(wizard.time->GetModeCombo()->currentText(), QStringLiteral("Older than"));
        QCOMPARE(wizard.time->GetModeCombo()->itemText(2), QStringLiteral("Recent than"));
        QVERIFY(wizard.time->GetModeCombo()->GetItem(1));
        QCOMPARE(wizard.time->GetFromPicker()->date(), QDate(today.year() - 1, today.month(), today.day()).isValid()
                                                      ? QDate(today.year() - 1, today.month(), today.day())
                                                      : QDate(today.year() - 1, 3, 1));
        QVERIFY(!wizard.secondDateShown());
        QLabel *titleStatic = nullptr;
        for (QLabel *label : wizard.time->findChildren<QLabel *>()) {
            if (label->text() == title)
                titleStatic = label;
        }
        QVERIFY(titleStatic);
        QVERIFY(titleStatic->font().bold());

        wizard.chooseMode(CTimePage::ModeBetween);
        QVERIFY(wizard.secondDateShown());
        QCOMPARE(wizard.time->GetToPicker()->date(), today);
        wizard.chooseMode(CTimePage::ModeOlderThan);
        QVERIFY(!wizard.secondDateShown());
    }

    void betweenAndBackRestoresTheSecondDate()
    {
        TimeWizard wizard(PAGE_MODIFIED);
        const CTime firstOfMarch(2023, 3, 1, 23, 59, 59);
        wizard.to() = firstOfMarch;
        wizard.mode() = CTimePage::ModeBetween;
        wizard.time->OnSetActive();
        QVERIFY(wizard.secondDateShown());
        QCOMPARE(wizard.time->GetToPicker()->date(), QDate(2023, 3, 1));

        const CTime before = CTime::GetCurrentTime();
        wizard.chooseMode(CTimePage::ModeRecentThan);
        QVERIFY(!wizard.secondDateShown());
        // Put aside while hidden: the record holds the current time meanwhile.
        QVERIFY(wizard.to() >= before);
        QVERIFY(wizard.to() <= CTime::GetCurrentTime());

        wizard.chooseMode(CTimePage::ModeBetween);
        QVERIFY(wizard.secondDateShown());
        QCOMPARE(wizard.to(), firstOfMarch);
        QCOMPARE(wizard.time->GetToPicker()->date(), QDate(2023, 3, 1));
    }

    void leavingInRecentThanStoresTheHiddenDateWithItsTimeOfDay()
    {
        TimeWizard wizard(PAGE_CREATION);
        const CTime firstOfMarch(2023, 3, 1, 23, 59, 59);
        wizard.to() = firstOfMarch;
        wizard.mode() = CTimePage::ModeBetween;
        wizard.time->OnSetActive();
        wizard.chooseMode(CTimePage::ModeRecentThan);
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_MODIFIED));
        QCOMPARE(wizard.mode(), int(CTimePage::ModeRecentThan));
        QCOMPARE(wizard.to(), firstOfMarch);
    }

    void changingTheDateKeepsTheLoadedTimeOfDay()
    {
        TimeWizard wizard(PAGE_ACCESSED);
        const QDateTime loaded = Local(wizard.from());
        QCOMPARE(loaded.time(), QTime(0, 0));
        CFlatFrameDatePicker *picker = wizard.time->GetFromPicker();
        picker->setFocus();
        picker->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClick(picker, Qt::Key_Up);
        QCOMPARE(picker->date(), loaded.date().addDays(1));
        wizard.back();
        QCOMPARE(wizard.active(), int(PAGE_MODIFIED));
        const QDateTime stored = Local(wizard.from());
        QCOMPARE(stored.date(), loaded.date().addDays(1));
        QCOMPARE(stored.time(), QTime(0, 0));
    }

    void restartShowsOlderThanAgain()
    {
        TimeWizard wizard(PAGE_MODIFIED);
        wizard.chooseMode(CTimePage::ModeBetween);
        wizard.next();
        QCOMPARE(wizard.scan.m_nModifiedMode, 1);

        wizard.scan.Reset();
        wizard.scan.m_bExpress = 0;
        wizard.scan.m_bModified = 1;
        wizard.go(PAGE_MODIFIED);
        QCOMPARE(wizard.time->GetModeCombo()->currentIndex(), 0);
        QVERIFY(!wizard.secondDateShown());
    }

    void navigationFollowsTheSelectedCriteria()
    {
        // Only the accessed criterion: Back goes to the drive page.
        TimeWizard alone(PAGE_ACCESSED, false);
        alone.back();
        QCOMPARE(alone.active(), int(PAGE_DRIVE));
        alone.go(PAGE_ACCESSED);
        alone.next();
        QCOMPARE(alone.active(), int(PAGE_RESULTS));

        // Accessed after name: Back skips the unselected pages between.
        alone.scan.m_bName = 1;
        alone.go(PAGE_ACCESSED);
        alone.back();
        QCOMPARE(alone.active(), int(PAGE_NAME));

        // Creation and accessed: Next skips modified; Back from creation
        // goes to the size page when it is selected.
        TimeWizard both(PAGE_CREATION, false);
        both.scan.m_bAccessed = 1;
        both.scan.m_bSize = 1;
        both.next();
        QCOMPARE(both.active(), int(PAGE_ACCESSED));
        both.back();
        QCOMPARE(both.active(), int(PAGE_CREATION));
        both.back();
        QCOMPARE(both.active(), int(PAGE_SIZE));
    }
};

QTEST_MAIN(TestTimePages)
#include "tst_timepages.moc"
