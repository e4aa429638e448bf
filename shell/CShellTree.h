#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTreeWidget>

class QMenu;
struct FixedDrive;

// A tree of folders to pick a destination from. The top level holds the
// places a user starts from (home, desktop, each fixed drive, "/"); each
// branch is read the first time it is opened or selected and never again,
// folders only, hidden ones left out, in the order file managers use
// (case-insensitive, digits by value). A folder that cannot be read simply
// shows no children. Every item keeps its path as raw bytes, so names that
// are not valid UTF-8 work; the text shown is only the decoded name, and a
// rename keeps every byte of the name the user did not edit.
//
// A right click on an item below the top level offers "Open in File
// Manager", "New Folder" and "Rename"; the last two edit the name in place
// and report a failure in the program's message box.
class CShellTree : public QTreeWidget
{
    Q_OBJECT

public:
    struct Root
    {
        QByteArray path;
        QString text;
        enum Kind { Home, Desktop, Drive, Folder } kind = Folder;
    };

    explicit CShellTree(QWidget *parent = nullptr);

    // The places of this machine: the home folder, the desktop folder named
    // in the user's XDG user dirs, each fixed drive's root and "/".
    static QList<Root> SystemRoots();
    // The same with the fixed drives given (tests give their own).
    static QList<Root> SystemRoots(const QList<FixedDrive> &drives);
    // Fills the top level from `roots` (tests give their own) and selects
    // the first item.
    void PopulateRoot(const QList<Root> &roots);

    // The path of an item, empty for none.
    static QByteArray GetPath(const QTreeWidgetItem *item);
    // Fills an item's children unless that was done before.
    void FillChildren(QTreeWidgetItem *item);
    bool IsFilled(const QTreeWidgetItem *item) const;

    // The menu a right click on `item` shows, or null where none is shown
    // (no item, a top-level item). The caller owns the menu.
    QMenu *CreateContextMenu(QTreeWidgetItem *item);
    // The menu's commands. New Folder and Rename start an in-place edit;
    // the change is made when the edit is committed.
    void NewFolder(QTreeWidgetItem *parentItem);
    void RenameFolder(QTreeWidgetItem *item);
    void OpenInFileManager(QTreeWidgetItem *item);

    // Sorts names as file managers do.
    static void SortNames(QList<QByteArray> &names);

    // Ends an edit in place without changing anything.
    void CancelEdit();
    // The item being named by an edit in place, if any.
    QTreeWidgetItem *GetEditedItem() const { return m_pEdited; }

signals:
    // The selection moved to a folder with this path.
    void FolderSelected(const QByteArray &path);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QTreeWidgetItem *MakeItem(const QByteArray &path, const QString &text, const QIcon &icon);
    void OnItemChanged(QTreeWidgetItem *item, int column);
    void OnCurrentItemChanged(QTreeWidgetItem *current);
    void ShowFailure(int textId, const QString &name, int error);
    void ShowFailure(int textId, const QString &name, const QString &reason);

    QTreeWidgetItem *m_pEdited = nullptr;
    bool m_bEditIsNew = false;
};
