#include <QtTest>

#include "RawFiles.h"
#include "TempDrive.h"
#include "controls/CCheckButton.h"
#include "controls/CMessageBoxDlg.h"
#include "core/NameText.h"
#include "platform/CFixedDrives.h"
#include "platform/CFolderLister.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CSelectFolderDlg.h"
#include "shell/CShellTree.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QFile>
#include <sys/stat.h>

// The folder tree and the dialog around it, on temporary trees only: every
// test gives the tree its own top level, so none reads the real home.

namespace {

QStringList ChildTexts(const QTreeWidgetItem *item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts.append(item->child(i)->text(0));
    return texts;
}

bool IsFolder(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

class TestSelectFolder : public QObject
{
    Q_OBJECT

    // Runs `action`, answering the message box it opens; returns its text.
    QString AnswerMessageBox(const std::function<void()> &action)
    {
        QString seen;
        bool shown = false;
        QTimer timer;
        timer.setInterval(20);
        connect(&timer, &QTimer::timeout, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<CMessageBoxDlg *>(widget);
                if (!box || !box->isVisible())
                    continue;
                for (QLabel *label : box->findChildren<QLabel *>())
                    seen += label->text();
                shown = true;
                box->accept();
            }
        });
        timer.start();
        action();
        timer.stop();
        return shown ? seen : QString();
    }

private slots:
    void branchesAreFilledOnceSortedWithoutHiddenFolders()
    {
        TempDrive drive;
        for (const char *name : {"b", "A", "folder10", "folder9", ".hidden", "a2"})
            QVERIFY(drive.makeFolder(name));
        QVERIFY(drive.makeFile("file.txt"));
        QVERIFY(drive.makeFolder("sub/inner"));
        QVERIFY(drive.makeSymlink("linked", drive.path("sub")));
        QVERIFY(drive.makeFolder(QByteArray("odd\xff")));
        CShellTree tree;
        tree.PopulateRoot({{drive.root(), "drive", CShellTree::Root::Drive}});
        QTreeWidgetItem *root = tree.topLevelItem(0);
        // Selecting the first item fills it.
        QVERIFY(tree.IsFilled(root));
        const QStringList texts = ChildTexts(root);
        QCOMPARE(texts.mid(0, 5), (QStringList{"A", "a2", "b", "folder9", "folder10"}));
        QVERIFY(texts.value(5).startsWith("odd"));
        QCOMPARE(texts.size(), 7);
        QCOMPARE(texts.last(), QStringLiteral("sub"));
        QVERIFY(!texts.contains(".hidden"));
        QVERIFY(!texts.contains("linked"));
        QVERIFY(!texts.contains("file.txt"));
        // The name that is not UTF-8 keeps its bytes.
        QCOMPARE(CShellTree::GetPath(root->child(5)), drive.path(QByteArray("odd\xff")));
        // Opening twice, or after the disk changed, adds nothing.
        QVERIFY(drive.makeFolder("late"));
        root->setExpanded(false);
        root->setExpanded(true);
        root->setExpanded(true);
        tree.FillChildren(root);
        QCOMPARE(root->childCount(), 7);
        // A child is read on first expansion, not before.
        QTreeWidgetItem *sub = root->child(6);
        QVERIFY(!tree.IsFilled(sub));
        sub->setExpanded(true);
        QCOMPARE(ChildTexts(sub), QStringList{"inner"});
        // The temporary folder's own clean-up cannot see that name.
        ::rmdir(drive.path(QByteArray("odd\xff")).constData());
    }

    void anUnreadableFolderShowsNothing()
    {
        TempDrive drive;
        CShellTree tree;
        tree.PopulateRoot({{drive.path("missing"), "gone", CShellTree::Root::Folder}});
        QTreeWidgetItem *root = tree.topLevelItem(0);
        root->setExpanded(true);
        QCOMPARE(root->childCount(), 0);
    }

    void sortOrder()
    {
        QList<QByteArray> names{"x10", "X2", "b", "B1", "a", "x1", "x02", "x2a", "Zeta", "alpha"};
        CShellTree::SortNames(names);
        QCOMPARE(names, (QList<QByteArray>{"a", "alpha", "b", "B1", "x1", "X2", "x02", "x2a", "x10", "Zeta"}));
    }

    void contextMenuOnlyOnItemsBelowTheTop()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("child"));
        CShellTree tree;
        tree.PopulateRoot({{drive.root(), "drive", CShellTree::Root::Drive}});
        QVERIFY(!tree.CreateContextMenu(nullptr));
        QVERIFY(!tree.CreateContextMenu(tree.topLevelItem(0)));
        std::unique_ptr<QMenu> menu(tree.CreateContextMenu(tree.topLevelItem(0)->child(0)));
        QVERIFY(menu);
        QStringList texts;
        for (QAction *action : menu->actions())
            texts.append(action->text());
        QCOMPARE(texts, (QStringList{LoadString(IDS_TREE_OPEN_IN_FILE_MANAGER), LoadString(IDS_TREE_NEW_FOLDER),
                                     LoadString(IDS_TREE_RENAME)}));
        // Blank space below the items.
        tree.resize(200, 400);
        QVERIFY(!tree.itemAt(QPoint(5, 390)));
    }

    void newFolderAndRenameChangeTheDisk()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("child/deeper"));
        QVERIFY(drive.makeFolder("taken"));
        CShellTree tree;
        tree.PopulateRoot({{drive.root(), "drive", CShellTree::Root::Drive}});
        QTreeWidgetItem *child = tree.topLevelItem(0)->child(0);
        QCOMPARE(child->text(0), QStringLiteral("child"));

        tree.NewFolder(child);
        QTreeWidgetItem *made = tree.GetEditedItem();
        QVERIFY(made);
        made->setText(0, "made here");
        QVERIFY(!tree.GetEditedItem());
        QVERIFY(IsFolder(drive.path("child/made here")));
        QCOMPARE(CShellTree::GetPath(made), drive.path("child/made here"));

        // Escape on a new folder takes the item away and makes nothing.
        const int before = child->childCount();
        tree.NewFolder(child);
        tree.CancelEdit();
        QCOMPARE(child->childCount(), before);

        tree.RenameFolder(child);
        child->setText(0, "renamed");
        QVERIFY(IsFolder(drive.path("renamed/deeper")));
        QCOMPARE(CShellTree::GetPath(child), drive.path("renamed"));
        QCOMPARE(CShellTree::GetPath(made), drive.path("renamed/made here"));

        // A clash is refused with the reason, and the item keeps its name.
        const QString message = AnswerMessageBox([&] {
            tree.RenameFolder(child);
            child->setText(0, "taken");
        });
        QVERIFY2(message.contains("taken") || message.contains("renamed"), qPrintable(message));
        QCOMPARE(child->text(0), QStringLiteral("renamed"));
        QVERIFY(IsFolder(drive.path("renamed")));
        QVERIFY(IsFolder(drive.path("taken")));
        QCOMPARE(CFolderLister::Rename(drive.root(), "renamed", "taken"), EEXIST);
    }

    // Through the real editor: Enter on the text as shown, or on a changed one.
    void renameKeepsTheBytesTheUserDidNotEdit_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QString>("typed"); // null: left as shown
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("refused");
        const QString mark(QChar::ReplacementCharacter);
        QTest::newRow("untouched") << QByteArray("odd\xff") << QString() << QByteArray("odd\xff") << false;
        QTest::newRow("appended") << QByteArray("odd\xff") << "odd" + mark + "er" << QByteArray("odd\xff" "er") << false;
        QTest::newRow("start replaced") << QByteArray("a\xfe\xff" "b") << "zz" + mark + mark + "b"
                                        << QByteArray("zz\xfe\xff" "b") << false;
        QTest::newRow("bad byte deleted") << QByteArray("odd\xff") << QStringLiteral("odd") << QByteArray("odd") << false;
        QTest::newRow("mark typed") << QByteArray("odd\xff") << mark + "odd" + mark << QByteArray("odd\xff") << true;
    }
    void renameKeepsTheBytesTheUserDidNotEdit()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QString, typed);
        QFETCH(QByteArray, expected);
        QFETCH(bool, refused);
        TempDrive drive;
        QVERIFY(drive.makeFolder(raw));
        CShellTree tree;
        tree.PopulateRoot({{drive.root(), "drive", CShellTree::Root::Drive}});
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QTreeWidgetItem *item = tree.topLevelItem(0)->child(0);
        QCOMPARE(item->text(0), DisplayName(raw));
        tree.RenameFolder(item);
        auto *editor = tree.findChild<QLineEdit *>();
        QVERIFY(editor);
        if (!typed.isNull())
            editor->setText(typed);
        // The editor hands its text over after the key, from the event loop.
        const QString message = AnswerMessageBox([&] {
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!tree.GetEditedItem());
        });
        QVERIFY(!tree.GetEditedItem());
        QCOMPARE(Entries(drive.root()), QList<QByteArray>{expected});
        QCOMPARE(CShellTree::GetPath(item), drive.path(expected));
        QCOMPARE(item->text(0), DisplayName(expected));
        QVERIFY2(message.isEmpty() != refused, qPrintable(message));
    }

    // Drives read as the drive page names them: mount point and label.
    void drivesShowTheirMountPointAndLabel()
    {
        FixedDrive data, other, root;
        data.mountPoint = "/mnt/data";
        data.displayPath = "/mnt/data";
        data.label = "BVTEST";
        other.mountPoint = "/srv";
        other.displayPath = "/srv";
        other.label = "BVTEST";
        root.mountPoint = "/";
        root.displayPath = "/";
        root.label = "OTHER";
        const QList<CShellTree::Root> roots = CShellTree::SystemRoots({root, data, other});
        QStringList drives;
        for (const CShellTree::Root &each : roots)
            if (each.kind == CShellTree::Root::Drive)
                drives << each.text + " = " + QString::fromUtf8(each.path);
        QCOMPARE(drives, (QStringList{"/mnt/data ( BVTEST ) = /mnt/data", "/srv ( BVTEST ) = /srv", "/ ( OTHER ) = /"}));
    }

    // The raw path goes to the desktop's opener as a percent-encoded URL;
    // an opener that fails or is missing is reported. The openers are ours,
    // found through PATH.
    void openInFileManagerPassesTheRawPathAndReportsFailure()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("odd\xff dir"));
        QVERIFY(drive.makeFolder("bin"));
        const QByteArray bin = drive.path("bin"), record = drive.path("opened");
        const auto opener = [&](const QByteArray &name, const QByteArray &body) {
            QVERIFY(WriteFile(bin + "/" + name, "#!/bin/sh\n" + body));
            QCOMPARE(::chmod((bin + "/" + name).constData(), 0755), 0);
        };
        opener("xdg-open", "printf '%s' \"$1\" > '" + record + "'\n");
        CShellTree tree;
        tree.PopulateRoot({{drive.root(), "drive", CShellTree::Root::Drive}});
        QTreeWidgetItem *odd = nullptr;
        for (int i = 0; i < tree.topLevelItem(0)->childCount(); ++i)
            if (CShellTree::GetPath(tree.topLevelItem(0)->child(i)).endsWith("dir"))
                odd = tree.topLevelItem(0)->child(i);
        QVERIFY(odd);
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", bin + ":/usr/bin:/bin");
        const QString opened = AnswerMessageBox([&] { tree.OpenInFileManager(odd); });
        opener("xdg-open", "exit 4\n");
        opener("gio", "exit 2\n");
        const QString failed = AnswerMessageBox([&] { tree.OpenInFileManager(odd); });
        qputenv("PATH", bin + "/none");
        const QString missing = AnswerMessageBox([&] { tree.OpenInFileManager(odd); });
        qputenv("PATH", savedPath);
        QCOMPARE(opened, QString());
        QCOMPARE(ReadFile(record), "file://" + drive.root().toPercentEncoding("/") + "/odd%FF%20dir");
        QCOMPARE(failed, LoadString(IDS_MENU_COMMAND_FAILED).replace("%lx", "2"));
        QCOMPARE(missing, LoadString(IDS_CONTEXT_MENU_FAILED).replace("%lx", "2"));
    }

    void dialogPresetSelectionAndConfirm()
    {
        TempDrive drive;
        QVERIFY(drive.makeFolder("first"));
        CSelectFolderDlg dlg(nullptr, {{drive.root(), "drive", CShellTree::Root::Drive}});
        dlg.m_strFolder = "/preset/";
        QCOMPARE(dlg.m_bPreservePath, 1);
        dlg.show();
        QCOMPARE(dlg.m_chkPreservePath->GetCheck(), 0);
        // The tree's first selection replaces the preset.
        QCOMPARE(dlg.GetEdit()->text(), QFile::decodeName(drive.root()));
        dlg.m_pTree->setCurrentItem(dlg.m_pTree->topLevelItem(0)->child(0));
        QCOMPARE(dlg.GetEdit()->text(), QFile::decodeName(drive.path("first")));

        // A relative path is refused, naming it, and the dialog stays.
        dlg.GetEdit()->setText("relative/path");
        const QString message = AnswerMessageBox([&] { dlg.accept(); });
        QCOMPARE(message, LoadString(IDS_CANT_CREATE_PATH).replace("%s", "relative/path"));
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);

        // A missing folder is created and the box's state taken.
        dlg.GetEdit()->setText(QFile::decodeName(drive.path("new/level/")));
        QTest::mouseClick(dlg.m_chkPreservePath, Qt::LeftButton);
        dlg.accept();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(IsFolder(drive.path("new/level")));
        QCOMPARE(dlg.m_bPreservePath, 1);
        QCOMPARE(dlg.GetFolderBytes(), drive.path("new/level/"));
    }

    void escapeChangesNothing()
    {
        TempDrive drive;
        CSelectFolderDlg dlg(nullptr, {{drive.root(), "drive", CShellTree::Root::Drive}});
        dlg.show();
        dlg.GetEdit()->setText(QFile::decodeName(drive.path("never")));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(!IsFolder(drive.path("never")));
        QCOMPARE(dlg.m_bPreservePath, 1);
    }
};

QTEST_MAIN(TestSelectFolder)
#include "tst_selectfolder.moc"
