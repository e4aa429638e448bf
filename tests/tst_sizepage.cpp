#include <QtTest>

#include "WizardHarness.h"
#include "controls/CFlatFrameCombo.h"
#include "controls/CFlatPushButton.h"
#include "controls/CUpDownCtrl.h"
#include "criteria/CSizePage.h"
#include "controls/CMessageBoxDlg.h"

#include <QLabel>
#include <QLineEdit>
#include <memory>

namespace {

// A custom run with the size page between the drive page and the results.
struct SizeWizard : WizardHarness
{
    SizeWizard()
        : WizardHarness([](int nPage) -> CWizardPage * { return nPage == PAGE_SIZE ? new CSizePage : nullptr; },
                        PAGE_SIZE)
    {
        scan.m_bExpress = 0;
        scan.m_bSize = 1;
        if (!show())
            qFatal("the sheet was not shown");
        size = page<CSizePage>(PAGE_SIZE);
    }

    void chooseMode(int nMode)
    {
        size->GetModeCombo()->setCurrentIndex(nMode);
        emit size->GetModeCombo()->activated(nMode);
    }
    bool secondSizeShown() const { return !size->GetToEdit()->isHidden(); }

    CSizePage *size = nullptr;
};

// Texts of the message boxes that open while `action` runs; each is
// answered with Ok.
QStringList MessagesDuring(const std::function<void()> &action)
{
    auto texts = std::make_shared<QStringList>();
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [texts, answer] {
        if (auto *box = qobject_cast<CMessageBoxDlg *>(QApplication::activeModalWidget())) {
            *texts << box->GetText();
            QTest::mouseClick(box->GetOkButton(), Qt::LeftButton);
        }
    };
    QTimer::singleShot(0, *answer);
    action();
    QCoreApplication::processEvents();
    *answer = nullptr;
    return *texts;
}

} // namespace

class TestSizePage : public QObject
{
    Q_OBJECT

private slots:
    void readsWholeNumbersOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<long>("value");
        QTest::newRow("plain") << "1024" << true << 1024L;
        QTest::newRow("leading zeros") << "007" << true << 7L;
        QTest::newRow("blanks and tabs around") << " \t12\t " << true << 12L;
        QTest::newRow("sign") << "-5" << true << -5L;
        QTest::newRow("largest 32-bit") << "2147483647" << true << 2147483647L;
        QTest::newRow("beyond 32 bits") << "2147483648" << false << 0L;
        QTest::newRow("empty") << "" << false << 0L;
        QTest::newRow("blanks only") << "  " << false << 0L;
        QTest::newRow("sign only") << "-" << false << 0L;
        QTest::newRow("inner blank") << "1 2" << false << 0L;
        QTest::newRow("letters") << "12k" << false << 0L;
        QTest::newRow("line break") << "12\n" << false << 0L;
    }
    void readsWholeNumbersOnly()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(long, value);
        long read = 0;
        QCOMPARE(CSizePage::ReadInteger(text, read), ok);
        if (ok)
            QCOMPARE(read, value);
    }

    void defaultsShowLargerThanWithoutTheSecondSize()
    {
        SizeWizard wizard;
        QCOMPARE(wizard.size->GetModeCombo()->count(), 3);
        QCOMPARE(wizard.size->GetModeCombo()->itemText(0), QStringLiteral("Less than"));
        QCOMPARE(wizard.size->GetModeCombo()->currentText(), QStringLiteral("Larger than"));
        QCOMPARE(wizard.size->GetFromEdit()->text(), QStringLiteral("1024"));
        QVERIFY(!wizard.secondSizeShown());
        QVERIFY(wizard.size->GetDlgItem(IDC_AND)->isHidden());
        QVERIFY(wizard.size->GetToSpin()->isHidden());

        wizard.chooseMode(CSizePage::ModeBetween);
        QVERIFY(wizard.secondSizeShown());
        QVERIFY(wizard.size->GetToSpin()->isVisible());
        QCOMPARE(wizard.size->GetToEdit()->text(), QStringLiteral("20000"));
        QCOMPARE(wizard.scan.m_nSizeMode, 1);
    }

    void arrowsStepAndWrap_data()
    {
        QTest::addColumn<bool>("second");
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("after");
        QTest::newRow("first up") << false << "1024" << true << "1034";
        QTest::newRow("first down to nothing") << false << "5" << false << "0";
        QTest::newRow("first down") << false << "15" << false << "5";
        QTest::newRow("first down at the step") << false << "10" << false << "0";
        QTest::newRow("first wraps") << false << "999995" << true << "5";
        QTest::newRow("empty first counts as 0") << false << "" << true << "10";
        QTest::newRow("second up") << true << "20000" << true << "20100";
        QTest::newRow("second wraps") << true << "999950" << true << "50";
        QTest::newRow("second down") << true << "150" << false << "50";
        QTest::newRow("second down at the step") << true << "100" << false << "0";
    }
    void arrowsStepAndWrap()
    {
        QFETCH(bool, second);
        QFETCH(QString, before);
        QFETCH(bool, up);
        QFETCH(QString, after);
        SizeWizard wizard;
        wizard.chooseMode(CSizePage::ModeBetween);
        QLineEdit *edit = second ? wizard.size->GetToEdit() : wizard.size->GetFromEdit();
        CUpDownCtrl *spin = second ? wizard.size->GetToSpin() : wizard.size->GetFromSpin();

        // Once with the arrow under the mouse, once with the arrow key.
        edit->setText(before);
        const QPoint arrow(spin->width() / 2, up ? 2 : spin->height() - 3);
        const QStringList messages = MessagesDuring([&] {
            QTest::mousePress(spin, Qt::LeftButton, {}, arrow);
            QTest::mouseRelease(spin, Qt::LeftButton, {}, arrow);
        });
        QVERIFY(messages.isEmpty());
        QCOMPARE(edit->text(), after);
        QCOMPARE(second ? wizard.scan.m_nSizeTo : wizard.scan.m_nSizeFrom, after.toLong());

        edit->setText(before);
        QTest::keyClick(edit, up ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(edit->text(), after);
    }

    void betweenAndBackRestoresTheSecondSize()
    {
        SizeWizard wizard;
        wizard.chooseMode(CSizePage::ModeBetween);
        wizard.size->GetFromEdit()->setText(QStringLiteral("100"));
        wizard.size->GetToEdit()->setText(QStringLiteral("500"));
        wizard.chooseMode(CSizePage::ModeLessThan);
        QVERIFY(!wizard.secondSizeShown());
        QCOMPARE(wizard.scan.m_nSizeTo, -1L);
        wizard.chooseMode(CSizePage::ModeBetween);
        QVERIFY(wizard.secondSizeShown());
        QCOMPARE(wizard.size->GetToEdit()->text(), QStringLiteral("500"));
        QCOMPARE(wizard.scan.m_nSizeTo, 500L);
        QCOMPARE(wizard.scan.m_nSizeFrom, 100L);
    }

    void leavingInLessThanStoresTheHiddenNumber()
    {
        SizeWizard wizard;
        wizard.chooseMode(CSizePage::ModeBetween);
        wizard.size->GetToEdit()->setText(QStringLiteral("500"));
        wizard.chooseMode(CSizePage::ModeLessThan);

        // Even a step of the first size while the edit is empty must not
        // leave the placeholder -1 in the hidden second size.
        wizard.size->GetFromEdit()->clear();
        wizard.size->OnStepFrom(true);
        QCOMPARE(wizard.size->GetToEdit()->text(), QStringLiteral("500"));

        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_RESULTS));
        QCOMPARE(wizard.scan.m_nSizeMode, 0);
        QCOMPARE(wizard.scan.m_nSizeFrom, 10L);
        QCOMPARE(wizard.scan.m_nSizeTo, 500L);
    }

    void anUnreadableNumberKeepsThePage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999");
    }
    void anUnreadableNumberKeepsThePage()
    {
        QFETCH(QString, text);
        SizeWizard wizard;
        wizard.size->GetFromEdit()->setText(text);
        wizard.size->GetModeCombo()->setCurrentIndex(CSizePage::ModeLessThan);
        const QStringList messages = MessagesDuring([&] { wizard.next(); });
        QCOMPARE(messages, QStringList{"Please enter an integer."});
        QCOMPARE(wizard.active(), int(PAGE_SIZE));
        // The sheet's focus is on the edit (the window itself may not be
        // active again offscreen once the box has gone).
        QCOMPARE(wizard.sheet.focusWidget(), wizard.size->GetFromEdit());
        QCOMPARE(wizard.size->GetFromEdit()->selectedText(), text);
        // The exchange stopped at the first size: the mode was not stored.
        QCOMPARE(wizard.scan.m_nSizeMode, 2);
        QVERIFY(wizard.sheet.GetBackButton().isEnabled());

        // Enter acts like Next and meets the same refusal.
        const QStringList again = MessagesDuring([&] { QTest::keyClick(wizard.size->GetFromEdit(), Qt::Key_Return); });
        QCOMPARE(again.size(), 1);
        QCOMPARE(wizard.active(), int(PAGE_SIZE));

        wizard.size->GetFromEdit()->setText(QStringLiteral("42"));
        QVERIFY(MessagesDuring([&] { wizard.next(); }).isEmpty());
        QCOMPARE(wizard.active(), int(PAGE_RESULTS));
        QCOMPARE(wizard.scan.m_nSizeFrom, 42L);
        QCOMPARE(wizard.scan.m_nSizeMode, 0);
    }

    void aHiddenUnreadableSecondSizeFallsBackToTheSavedOne()
    {
        SizeWizard wizard;
        wizard.chooseMode(CSizePage::ModeBetween);
        wizard.size->GetToEdit()->clear();
        const QStringList messages = MessagesDuring([&] { wizard.chooseMode(CSizePage::ModeLargerThan); });
        QCOMPARE(messages.size(), 1);
        // The fields follow the mode the user chose, not the one stored
        // before the refused number.
        QVERIFY(!wizard.secondSizeShown());
        QCOMPARE(wizard.scan.m_nSizeMode, 2);
        // The page can be left: the hidden field cannot be corrected.
        QVERIFY(MessagesDuring([&] { wizard.next(); }).isEmpty());
        QCOMPARE(wizard.active(), int(PAGE_RESULTS));
        QCOMPARE(wizard.scan.m_nSizeTo, 20000L);
    }

    void lettersCannotBeTyped()
    {
        SizeWizard wizard;
        wizard.size->GetFromEdit()->clear();
        QTest::keyClicks(wizard.size->GetFromEdit(), QStringLiteral("12ab-3 "));
        QCOMPARE(wizard.size->GetFromEdit()->text(), QStringLiteral("123"));
    }

    void restartShowsTheDefaultsAgain()
    {
        SizeWizard wizard;
        wizard.chooseMode(CSizePage::ModeBetween);
        wizard.size->GetToEdit()->setText(QStringLiteral("700"));
        wizard.chooseMode(CSizePage::ModeLessThan);
        wizard.next();
        QCOMPARE(wizard.scan.m_nSizeTo, 700L);

        wizard.scan.Reset();
        wizard.scan.m_bExpress = 0;
        wizard.scan.m_bSize = 1;
        wizard.go(PAGE_SIZE);
        QCOMPARE(wizard.size->GetModeCombo()->currentIndex(), 2);
        QVERIFY(!wizard.secondSizeShown());
        wizard.chooseMode(CSizePage::ModeBetween);
        QCOMPARE(wizard.size->GetToEdit()->text(), QStringLiteral("20000"));
    }

    void navigationFollowsTheSelectedCriteria()
    {
        SizeWizard wizard;
        wizard.scan.m_bName = 1;
        wizard.scan.m_bModified = 1;
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_MODIFIED));
        wizard.go(PAGE_SIZE);
        wizard.back();
        QCOMPARE(wizard.active(), int(PAGE_NAME));

        wizard.scan.m_bName = 0;
        wizard.go(PAGE_SIZE);
        wizard.back();
        QCOMPARE(wizard.active(), int(PAGE_DRIVE));
    }
};

QTEST_MAIN(TestSizePage)
#include "tst_sizepage.moc"
