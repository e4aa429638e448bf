#include "shell/CShellTree.h"

#include "controls/CMessageBoxDlg.h"
#include "core/NameText.h"
#include "platform/CDesktopOpener.h"
#include "platform/CFixedDrives.h"
#include "platform/CFolderLister.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStyle>
#include <cstring>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback, const QStyle *style)
{
    return QIcon::fromTheme(QLatin1String(name), style->standardIcon(fallback));
}

QByteArray Join(const QByteArray &parent, const QByteArray &name)
{
    return parent.endsWith('/') ? parent + name : parent + '/' + name;
}

// The desktop folder from the user's XDG user dirs, else ~/Desktop.
QByteArray DesktopFolder(const QByteArray &home)
{
    QByteArray config = qgetenv("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = home + "/.config";
    QFile file(QFile::decodeName(config + "/user-dirs.dirs"));
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().trimmed();
            if (!line.startsWith("XDG_DESKTOP_DIR="))
                continue;
            QByteArray value = line.mid(int(std::strlen("XDG_DESKTOP_DIR=")));
            if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
                value = value.mid(1, value.size() - 2);
            if (value.startsWith("$HOME"))
                value = home + value.mid(5);
            if (value.startsWith('/'))
                return value;
        }
    }
    return home + "/Desktop";
}

} // namespace

CShellTree::CShellTree(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { FillChildren(item); });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current, QTreeWidgetItem *) { OnCurrentItemChanged(current); });
    connect(this, &QTreeWidget::itemChanged, this, &CShellTree::OnItemChanged);
    // An edit left with the text untouched sends no change: a new folder
    // then keeps its first name, and Escape takes the new item away.
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                if (!m_pEdited)
                    return;
                if (hint == QAbstractItemDelegate::RevertModelCache) {
                    CancelEdit();
                } else {
                    OnItemChanged(m_pEdited, 0);
                }
            });
}

void CShellTree::CancelEdit()
{
    QTreeWidgetItem *item = m_pEdited;
    m_pEdited = nullptr;
    if (!item)
        return;
    if (m_bEditIsNew)
        delete item;
    else
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

QList<CShellTree::Root> CShellTree::SystemRoots()
{
    return SystemRoots(CFixedDrives::List());
}

QList<CShellTree::Root> CShellTree::SystemRoots(const QList<FixedDrive> &drives)
{
    QList<Root> roots;
    const QByteArray home = QFile::encodeName(QDir::homePath());
    roots.append({home, QDir::homePath(), Root::Home});
    const QByteArray desktop = DesktopFolder(home);
    if (desktop != home && QFileInfo(QFile::decodeName(desktop)).isDir())
        roots.append({desktop, QFile::decodeName(desktop.mid(desktop.lastIndexOf('/') + 1)), Root::Desktop});
    // Named as the drive page names them: a label alone does not tell where
    // the drive is, and two drives may share one.
    QString rootText = QStringLiteral("/");
    for (const FixedDrive &drive : drives) {
        if (drive.mountPoint == "/")
            rootText = CFixedDrives::EntryText(drive);
        else
            roots.append({drive.mountPoint, CFixedDrives::EntryText(drive), Root::Drive});
    }
    roots.append({QByteArray("/"), rootText, Root::Drive});
    return roots;
}

QTreeWidgetItem *CShellTree::MakeItem(const QByteArray &path, const QString &text, const QIcon &icon)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, text);
    item->setData(0, kPathRole, path);
    item->setIcon(0, icon);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void CShellTree::PopulateRoot(const QList<Root> &roots)
{
    m_pEdited = nullptr;
    clear();
    const QStyle *st = style();
    for (const Root &root : roots) {
        QIcon icon;
        switch (root.kind) {
        case Root::Home: icon = ThemeIcon("user-home", QStyle::SP_DirHomeIcon, st); break;
        case Root::Desktop: icon = ThemeIcon("user-desktop", QStyle::SP_DesktopIcon, st); break;
        case Root::Drive: icon = ThemeIcon("drive-harddisk", QStyle::SP_DriveHDIcon, st); break;
        case Root::Folder: icon = ThemeIcon("folder", QStyle::SP_DirClosedIcon, st); break;
        }
        addTopLevelItem(MakeItem(root.path, root.text, icon));
    }
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
}

QByteArray CShellTree::GetPath(const QTreeWidgetItem *item)
{
    return item ? item->data(0, kPathRole).toByteArray() : QByteArray();
}

bool CShellTree::IsFilled(const QTreeWidgetItem *item) const
{
    return item && item->data(0, kFilledRole).toBool();
}

namespace {

// Compares two names as file managers order them: letters without regard
// to case, runs of digits by their value ("folder9" before "folder10").
int NaturalCompare(const QString &a, const QString &b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            qsizetype startA = i, startB = j;
            while (startA + 1 < endA && a[startA] == u'0')
                ++startA;
            while (startB + 1 < endB && b[startB] == u'0')
                ++startB;
            const qsizetype lengthA = endA - startA, lengthB = endB - startB;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            const int digits = QStringView(a).mid(startA, lengthA).compare(QStringView(b).mid(startB, lengthB));
            if (digits != 0)
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

} // namespace

void CShellTree::SortNames(QList<QByteArray> &names)
{
    std::stable_sort(names.begin(), names.end(), [](const QByteArray &a, const QByteArray &b) {
        const int order = NaturalCompare(QFile::decodeName(a), QFile::decodeName(b));
        return order != 0 ? order < 0 : a < b;
    });
}

void CShellTree::FillChildren(QTreeWidgetItem *item)
{
    if (!item || IsFilled(item))
        return;
    item->setData(0, kFilledRole, true);
    QList<QByteArray> names;
    // A folder that cannot be read just has nothing to show.
    CFolderLister::ListFolders(GetPath(item), names);
    SortNames(names);
    const QIcon folder = ThemeIcon("folder", QStyle::SP_DirClosedIcon, style());
    const QByteArray parent = GetPath(item);
    QList<QTreeWidgetItem *> children;
    for (const QByteArray &name : names)
        children.append(MakeItem(Join(parent, name), DisplayName(name), folder));
    item->addChildren(children);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void CShellTree::OnCurrentItemChanged(QTreeWidgetItem *current)
{
    if (!current)
        return;
    FillChildren(current);
    const QByteArray path = GetPath(current);
    if (!path.isEmpty())
        emit FolderSelected(path);
}

QMenu *CShellTree::CreateContextMenu(QTreeWidgetItem *item)
{
    if (!item || !item->parent())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->addAction(LoadString(IDS_TREE_OPEN_IN_FILE_MANAGER), this, [this, item] { OpenInFileManager(item); });
    menu->addAction(LoadString(IDS_TREE_NEW_FOLDER), this, [this, item] { NewFolder(item); });
    menu->addAction(LoadString(IDS_TREE_RENAME), this, [this, item] { RenameFolder(item); });
    return menu;
}

void CShellTree::contextMenuEvent(QContextMenuEvent *event)
{
    // Delivered through the viewport, so the position is the viewport's.
    QTreeWidgetItem *item = itemAt(event->pos());
    if (item)
        setCurrentItem(item);
    QMenu *menu = CreateContextMenu(item);
    if (!menu)
        return;
    menu->exec(event->globalPos());
    delete menu;
}

void CShellTree::OpenInFileManager(QTreeWidgetItem *item)
{
    if (!item)
        return;
    // The raw path, percent-encoded byte for byte: a decoded name that is
    // not valid UTF-8 would send the file manager somewhere else.
    const CDesktopOpener::Result result = CDesktopOpener().Open(CDesktopOpener::FileUrl(GetPath(item)));
    if (result.opened)
        return;
    // No opener could be run, or the one that ran failed, with its code.
    const bool ran = result.exitStatus >= 0;
    QString text = LoadString(ran ? IDS_MENU_COMMAND_FAILED : IDS_CONTEXT_MENU_FAILED);
    text.replace(QLatin1String("%lx"), QString::number(ran ? result.exitStatus : result.startError, 16));
    CMessageBoxDlg::Show(window(), CMessageBoxDlg::StyleOk, text);
}

void CShellTree::NewFolder(QTreeWidgetItem *parentItem)
{
    if (!parentItem)
        return;
    FillChildren(parentItem);
    parentItem->setExpanded(true);
    const QString name = LoadString(IDS_TREE_NEW_FOLDER);
    QTreeWidgetItem *item = MakeItem(QByteArray(), name, ThemeIcon("folder", QStyle::SP_DirClosedIcon, style()));
    item->setData(0, kFilledRole, true);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    parentItem->addChild(item);
    m_pEdited = item;
    m_bEditIsNew = true;
    setCurrentItem(item);
    editItem(item);
}

void CShellTree::RenameFolder(QTreeWidgetItem *item)
{
    if (!item || !item->parent())
        return;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_pEdited = item;
    m_bEditIsNew = false;
    editItem(item);
}

void CShellTree::ShowFailure(int textId, const QString &name, int error)
{
    ShowFailure(textId, name, QString::fromLocal8Bit(std::strerror(error)));
}

void CShellTree::ShowFailure(int textId, const QString &name, const QString &reason)
{
    QString text = LoadString(textId);
    text.replace(text.indexOf(QLatin1String("%s")), 2, name);
    text.replace(text.indexOf(QLatin1String("%s")), 2, reason);
    CMessageBoxDlg::Show(window(), CMessageBoxDlg::StyleOk, text);
}

void CShellTree::OnItemChanged(QTreeWidgetItem *item, int column)
{
    if (item != m_pEdited || column != 0)
        return;
    m_pEdited = nullptr;
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    QTreeWidgetItem *parentItem = item->parent();
    const QByteArray parent = GetPath(parentItem);
    QByteArray name = QFile::encodeName(item->text(0));
    const QSignalBlocker quiet(this);
    if (m_bEditIsNew) {
        const int error = CFolderLister::MakeFolder(parent, name);
        if (error != 0) {
            delete item;
            ShowFailure(IDS_TREE_CANT_CREATE, QFile::decodeName(name), error);
            return;
        }
        item->setData(0, kPathRole, Join(parent, name));
    } else {
        const QByteArray oldPath = GetPath(item);
        const QByteArray oldName = oldPath.mid(oldPath.lastIndexOf('/') + 1);
        // The text shown is only the decoded name: the bytes the user did
        // not edit keep their value, even those that are not valid text.
        if (!EditRawName(oldName, item->text(0), name)) {
            item->setText(0, DisplayName(oldName));
            ShowFailure(IDS_TREE_CANT_RENAME, DisplayName(oldName), LoadString(IDS_TREE_NAME_NOT_TEXT));
            return;
        }
        if (name == oldName) {
            item->setText(0, DisplayName(oldName));
            return;
        }
        const int error = CFolderLister::Rename(parent, oldName, name);
        if (error != 0) {
            item->setText(0, DisplayName(oldName));
            ShowFailure(IDS_TREE_CANT_RENAME, DisplayName(oldName), error);
            return;
        }
        // The paths below the renamed folder change with it.
        const QByteArray newPath = Join(parent, name);
        QList<QTreeWidgetItem *> pending{item};
        while (!pending.isEmpty()) {
            QTreeWidgetItem *each = pending.takeLast();
            each->setData(0, kPathRole, newPath + GetPath(each).mid(oldPath.size()));
            for (int i = 0; i < each->childCount(); ++i)
                pending.append(each->child(i));
        }
    }
    emit FolderSelected(GetPath(item));
}
