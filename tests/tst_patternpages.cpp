#include <QtTest>

#include "WizardHarness.h"
#include "controls/CFlatPushButton.h"
#include "controls/CSortArrowHeader.h"
#include "criteria/CExtensionPage.h"
#include "criteria/CLocationPage.h"
#include "criteria/CNamePage.h"

#include <QLineEdit>
#include <QTreeWidget>

namespace {

CWizardPage *MakePatternPage(int nPage)
{
    switch (nPage) {
    case PAGE_LOCATION: return new CLocationPage;
    case PAGE_NAME: return new CNamePage;
    case PAGE_EXTENSION: return new CExtensionPage;
    default: return nullptr;
    }
}

QStringList ListTexts(const QTreeWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(0);
    return texts;
}

int SelectedRow(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> selected = list->selectedItems();
    return selected.size() == 1 ? list->indexOfTopLevelItem(selected.first()) : -1;
}

QLineEdit *OpenEditor(const QTreeWidget *list)
{
    return qobject_cast<QLineEdit *>(QApplication::focusWidget()) && list->isAncestorOf(QApplication::focusWidget())
               ? qobject_cast<QLineEdit *>(QApplication::focusWidget())
               : nullptr;
}

// A custom run that visits the name page (and the others given).
struct PatternWizard : WizardHarness
{
    explicit PatternWizard(int nPage, std::initializer_list<int CFileScan::*> flags = {})
        : WizardHarness(MakePatternPage, nPage)
        , nPage(nPage)
    {
        scan.m_bExpress = 0;
        for (int CFileScan::*flag : flags)
            scan.*flag = 1;
        if (!show())
            qFatal("the sheet was not shown");
        pattern = page<CPatternPage>(nPage);
        list = pattern->GetEntryList();
    }

    const QStringList &record() const
    {
        return nPage == PAGE_LOCATION ? scan.m_arrLocations
               : nPage == PAGE_NAME   ? scan.m_arrNames
                                      : scan.m_arrExtensions;
    }

    int nPage;
    CPatternPage *pattern = nullptr;
    QTreeWidget *list = nullptr;
};

} // namespace

class TestPatternPages : public QObject
{
    Q_OBJECT

private:
    // The list on screen and the record list are equal entry by entry.
    static void verifyInSync(const PatternWizard &wizard)
    {
        QCOMPARE(ListTexts(wizard.list), wizard.record());
    }

private slots:
    void pagesShowTheirRecordListWithTheLastEntrySelected_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("column");
        QTest::newRow("location") << int(PAGE_LOCATION)
                                  << QStringList{"Temp", "Tmp", "Cache", "Debug", "Release"} << "Folder";
        QTest::newRow("name") << int(PAGE_NAME) << QStringList{"*"} << "Name";
        QTest::newRow("extension") << int(PAGE_EXTENSION)
                                   << QStringList{"aps", "bak", "bsc", "ilk", "log", "ncb", "old", "obj", "pch",
                                                  "rws", "sbr", "tmp", "$$$"}
                                   << "Extension";
    }
    void pagesShowTheirRecordListWithTheLastEntrySelected()
    {
        QFETCH(int, page);
        QFETCH(QStringList, entries);
        QFETCH(QString, column);
        PatternWizard wizard(page);
        QCOMPARE(ListTexts(wizard.list), entries);
        QCOMPARE(SelectedRow(wizard.list), entries.size() - 1);
        QCOMPARE(wizard.list->currentItem(), wizard.list->topLevelItem(entries.size() - 1));
        QVERIFY(wizard.list->hasFocus());
        QCOMPARE(wizard.list->headerItem()->text(0), column);
        QVERIFY(qobject_cast<CSortArrowHeader *>(wizard.list->header()));
        QVERIFY(!wizard.list->header()->isEnabled());
        QVERIFY(wizard.pattern->GetRemoveButton()->isEnabled());
        QVERIFY(wizard.sheet.GetNextButton().isEnabled());
    }

    void addThenEscapeKeepsTheNewEntry()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bName});
        QTest::keyClick(wizard.list, Qt::Key_Insert);
        QLineEdit *editor = OpenEditor(wizard.list);
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("New Name"));
        QTest::keyClicks(editor, QStringLiteral("abc"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!OpenEditor(wizard.list));
        QCOMPARE(wizard.record(), (QStringList{"*", "New Name"}));
        verifyInSync(wizard);
        QCOMPARE(SelectedRow(wizard.list), 1);
        QCOMPARE(wizard.active(), int(PAGE_NAME));
    }

    void addThenTypingAndEnterStoresTheText()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bName});
        QTest::mouseClick(wizard.pattern->GetAddButton(), Qt::LeftButton);
        QLineEdit *editor = OpenEditor(wizard.list);
        QVERIFY(editor);
        editor->selectAll();
        // Stored as typed: the name page does not strip an extension.
        QTest::keyClicks(editor, QStringLiteral("readme.txt"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!OpenEditor(wizard.list));
        QCOMPARE(wizard.record(), (QStringList{"*", "readme.txt"}));
        verifyInSync(wizard);
        // Enter ended the editing only; it did not press the sheet's Next.
        QCOMPARE(wizard.active(), int(PAGE_NAME));
    }

    void leavingThePageWhileEditingKeepsTheTypedText()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bName});
        QTest::keyClick(wizard.list, Qt::Key_Insert);
        QLineEdit *editor = OpenEditor(wizard.list);
        QVERIFY(editor);
        editor->setText(QStringLiteral("draft"));
        // A click that leaves the focus where it is, as a shortcut would.
        wizard.sheet.GetNextButton().click();
        QCOMPARE(wizard.active(), int(PAGE_RESULTS));
        QCOMPARE(wizard.record(), (QStringList{"*", "draft"}));
        verifyInSync(wizard);
    }

    void anEmptiedLabelKeepsItsOldText()
    {
        PatternWizard wizard(PAGE_EXTENSION, {&CFileScan::m_bExtension});
        QTest::keyClick(wizard.list, Qt::Key_F2);
        QLineEdit *editor = OpenEditor(wizard.list);
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!OpenEditor(wizard.list));
        QCOMPARE(wizard.record().last(), QStringLiteral("$$$"));
        verifyInSync(wizard);

        // A real change goes into the record at once.
        QTest::keyClick(wizard.list, Qt::Key_F2);
        editor = OpenEditor(wizard.list);
        QVERIFY(editor);
        editor->setText(QStringLiteral("~*"));
        QTest::keyClick(editor, Qt::Key_Enter);
        QTRY_COMPARE(wizard.record().last(), QStringLiteral("~*"));
        verifyInSync(wizard);
    }

    void removeSelectsTheFollowingOrTheNewLastEntry()
    {
        PatternWizard wizard(PAGE_EXTENSION, {&CFileScan::m_bExtension});
        wizard.scan.m_arrExtensions = {"a", "b", "c"};
        wizard.pattern->OnSetActive();
        wizard.list->setCurrentItem(wizard.list->topLevelItem(1));

        QTest::keyClick(wizard.list, Qt::Key_Delete);
        QCOMPARE(wizard.record(), (QStringList{"a", "c"}));
        verifyInSync(wizard);
        QCOMPARE(SelectedRow(wizard.list), 1);

        QTest::mouseClick(wizard.pattern->GetRemoveButton(), Qt::LeftButton);
        QCOMPARE(wizard.record(), QStringList{"a"});
        verifyInSync(wizard);
        QCOMPARE(SelectedRow(wizard.list), 0);
    }

    void removingTheOnlyEntryDisablesRemoveAndNextUntilAdd()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bName});
        QTest::keyClick(wizard.list, Qt::Key_Delete);
        QVERIFY(wizard.record().isEmpty());
        verifyInSync(wizard);
        QVERIFY(!wizard.pattern->GetRemoveButton()->isEnabled());
        QVERIFY(!wizard.sheet.GetNextButton().isEnabled());

        // Nothing selected: Delete does nothing.
        QTest::keyClick(wizard.list, Qt::Key_Delete);
        QVERIFY(wizard.record().isEmpty());

        QTest::keyClick(wizard.list, Qt::Key_Insert);
        QVERIFY(wizard.pattern->GetRemoveButton()->isEnabled());
        QVERIFY(wizard.sheet.GetNextButton().isEnabled());
        QCOMPARE(wizard.record(), QStringList{"New Name"});
        verifyInSync(wizard);
    }

    void theButtonsFollowTheListOnEveryActivation()
    {
        PatternWizard wizard(PAGE_LOCATION, {&CFileScan::m_bLocation});
        while (!wizard.record().isEmpty())
            wizard.pattern->OnRemove();
        QVERIFY(!wizard.sheet.GetNextButton().isEnabled());

        // Back from the emptied list: the drive page must not inherit a
        // disabled Next, since it never sets the button itself.
        wizard.back();
        QCOMPARE(wizard.active(), int(PAGE_DRIVE));
        QVERIFY(wizard.sheet.GetNextButton().isEnabled());

        // Entering the empty list disables both again.
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_LOCATION));
        QVERIFY(!wizard.pattern->GetRemoveButton()->isEnabled());
        QVERIFY(!wizard.sheet.GetNextButton().isEnabled());

        // Restart refills the record: the page shows the defaults, usable.
        wizard.back();
        wizard.scan.Reset();
        wizard.scan.m_bExpress = 0;
        wizard.scan.m_bLocation = 1;
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_LOCATION));
        QCOMPARE(wizard.record().size(), 5);
        verifyInSync(wizard);
        QVERIFY(wizard.pattern->GetRemoveButton()->isEnabled());
        QVERIFY(wizard.sheet.GetNextButton().isEnabled());
    }

    void backAndNextKeepTheOrderAndSelectTheLast()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bLocation, &CFileScan::m_bName, &CFileScan::m_bExtension});
        wizard.scan.m_arrNames = {"z", "a", "m"};
        wizard.pattern->OnSetActive();
        wizard.list->setCurrentItem(wizard.list->topLevelItem(0));

        wizard.back();
        QCOMPARE(wizard.active(), int(PAGE_LOCATION));
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_NAME));
        QCOMPARE(ListTexts(wizard.list), (QStringList{"z", "a", "m"}));
        QCOMPARE(SelectedRow(wizard.list), 2);
        wizard.next();
        QCOMPARE(wizard.active(), int(PAGE_EXTENSION));
    }

    void navigationFollowsTheSelectedCriteria_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("flags"); // bit i: criterion page 3 + i
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("back");
        QTest::newRow("location alone") << int(PAGE_LOCATION) << 0b0000001 << int(PAGE_RESULTS) << int(PAGE_DRIVE);
        QTest::newRow("location then accessed") << int(PAGE_LOCATION) << 0b1000001 << int(PAGE_ACCESSED)
                                                << int(PAGE_DRIVE);
        QTest::newRow("name without location") << int(PAGE_NAME) << 0b0001010 << int(PAGE_SIZE) << int(PAGE_DRIVE);
        QTest::newRow("name after location") << int(PAGE_NAME) << 0b0100011 << int(PAGE_MODIFIED)
                                             << int(PAGE_LOCATION);
        QTest::newRow("extension after location") << int(PAGE_EXTENSION) << 0b0010101 << int(PAGE_CREATION)
                                                  << int(PAGE_LOCATION);
        QTest::newRow("extension after name") << int(PAGE_EXTENSION) << 0b0000111 << int(PAGE_RESULTS)
                                              << int(PAGE_NAME);
    }
    void navigationFollowsTheSelectedCriteria()
    {
        QFETCH(int, page);
        QFETCH(int, flags);
        QFETCH(int, next);
        QFETCH(int, back);
        PatternWizard wizard(page);
        int CFileScan::*const criteria[] = {&CFileScan::m_bLocation, &CFileScan::m_bName, &CFileScan::m_bExtension,
                                            &CFileScan::m_bSize,     &CFileScan::m_bCreation, &CFileScan::m_bModified,
                                            &CFileScan::m_bAccessed};
        for (int i = 0; i < 7; ++i)
            wizard.scan.*criteria[i] = (flags >> i) & 1;
        wizard.next();
        QCOMPARE(wizard.active(), next);
        wizard.go(page);
        wizard.back();
        QCOMPARE(wizard.active(), back);
    }

    void aClickBelowTheEntriesKeepsTheFocusedOneSelected()
    {
        PatternWizard wizard(PAGE_NAME, {&CFileScan::m_bName});
        QWidget *viewport = wizard.list->viewport();
        const QPoint below(viewport->width() / 2, viewport->height() - 3);
        QVERIFY(!wizard.list->itemAt(below));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, below);
        QCOMPARE(SelectedRow(wizard.list), 0);
        QTest::keyClick(wizard.list, Qt::Key_Delete);
        QVERIFY(wizard.record().isEmpty());
    }
};

QTEST_MAIN(TestPatternPages)
#include "tst_patternpages.moc"
