#include <QtTest>

#include <QApplication>
#include <QLabel>

#include "controls/CFlatPushButton.h"
#include "controls/CPercentProgressCtrl.h"
#include "controls/CActionProgressDlg.h"
#include "scan/CScanDlg.h"

// The progress windows stay up until the loop they watch has stopped: every
// way of cancelling only raises the flag.
class TestProgressWindows : public QObject
{
    Q_OBJECT

private slots:
    void everyCancelKeyOnlyRaisesTheFlag_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
        QTest::newRow("space on Cancel") << int(Qt::Key_Space);
    }

    void everyCancelKeyOnlyRaisesTheFlag()
    {
        QFETCH(int, key);
        CActionProgressDlg action;
        action.Create(nullptr, QStringLiteral("Working"));
        CScanDlg scan;
        const QList<CCancellableDlg *> windows{&action, &scan};
        for (CCancellableDlg *window : windows) {
            window->show();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            window->GetCancelButton()->setFocus();
            QVERIFY(!window->IsCancelled());
            QSignalSpy finished(window, &QDialog::finished);
            // Sent where a real key press goes: to the focused Cancel button.
            QTest::keyClick(window->GetCancelButton(), Qt::Key(key));
            QVERIFY(window->IsCancelled());
            QVERIFY(window->isVisible());
            QCOMPARE(finished.count(), 0);
            window->hide();
        }
    }

    void closingTheWindowCancelsWithoutClosing()
    {
        CActionProgressDlg window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.close();
        QVERIFY(window.IsCancelled());
        window.reject();
        window.accept();
        QVERIFY(window.isVisible());
    }

    void createShowsAFreshBarWithCancelFocused()
    {
        CActionProgressDlg window;
        window.GetProgress()->SetPos(70);
        window.Create(nullptr, QStringLiteral("Deleting"));
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(window.GetProgress()->GetPos(), 0);
        QCOMPARE(window.GetStatusStatic()->text(), QStringLiteral("Deleting"));
        QVERIFY(window.GetCancelButton()->hasFocus());
        QVERIFY(!window.GetCancelButton()->autoDefault());
    }
};

QTEST_MAIN(TestProgressWindows)
#include "tst_progresswindows.moc"
