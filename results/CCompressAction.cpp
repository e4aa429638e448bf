#include "results/CCompressAction.h"

#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "core/CCompressPlugin.h"
#include "core/CResultsModel.h"
#include "controls/CMessageBoxDlg.h"
#include "results/CActionRun.h"
#include "results/CResultsHost.h"

#include <QFile>
#include <QFileDialog>
#include <QStringList>

namespace {

CCompressAction::AskPathHook &AskHook()
{
    static CCompressAction::AskPathHook hook;
    return hook;
}

QList<QByteArray> &LibraryFolders()
{
    static QList<QByteArray> folders;
    return folders;
}

QString WithPath(int formatId, const QByteArray &path)
{
    QString text = LoadString(formatId);
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    if (at >= 0)
        text.replace(at, 2, QFile::decodeName(path));
    return text;
}

// "Description|pattern|...||" as Qt name filters. "*.*" means every file
// where the text comes from; here it would hide names without a dot.
QStringList NameFilters(const QString &table)
{
    const QStringList parts = table.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString description = parts[i];
        QString pattern = parts[i + 1] == QLatin1String("*.*") ? QStringLiteral("*") : parts[i + 1];
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        filters.append(description + QLatin1String(" (") + pattern + QLatin1Char(')'));
    }
    return filters;
}

} // namespace

void CCompressAction::SetAskPathHook(AskPathHook hook)
{
    AskHook() = std::move(hook);
}

void CCompressAction::SetLibraryFolders(const QList<QByteArray> &folders)
{
    LibraryFolders() = folders;
}

QString CCompressAction::AskArchivePath(QWidget *parent)
{
    QFileDialog dialog(parent, LoadString(IDS_ZIP_TITLE));
    dialog.setObjectName(QStringLiteral("SaveAsZip"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(LoadString(IDS_ZIP_FILTER)));
    dialog.setDefaultSuffix(LoadString(IDS_ZIP_EXTENSION));
    dialog.selectFile(LoadString(IDS_ZIP_DEFAULT_NAME));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void CCompressAction::Run(CResultsHost &host)
{
    QWidget *page = host.GetPageWidget();
    const QString archive = AskHook() ? AskHook()(page) : AskArchivePath(page);
    if (archive.isEmpty())
        return;

    QWidget *sheet = host.GetBusyWindow();
    CCompressPlugin plugin;
    if (!plugin.Load(LibraryFolders())) {
        CMessageBoxDlg::Show(sheet, CMessageBoxDlg::StyleOk, WithPath(plugin.GetErrorTextId(), plugin.GetPath()));
        return;
    }
    const std::unique_ptr<CCompressStep> step =
        plugin.CreateStep(host.GetModel()->GetStore(), host.GetScannedDrive(), QFile::encodeName(archive),
                          [sheet](const QByteArray &path) {
                              CMessageBoxDlg::Show(sheet, CMessageBoxDlg::StyleOk, WithPath(IDS_COMPRESS_ERROR, path));
                          });
    step->SetRefusalHandler([sheet](const QByteArray &path) {
        CMessageBoxDlg::Show(sheet, CMessageBoxDlg::StyleOk, WithPath(IDS_ARCHIVE_NOT_ZIP, path));
    });
    // The archive took room on the disk; files not stored are listed after.
    CActionRun(host).Run(*step);
    // Stored, but not under the name the user will look for.
    if (const int renamed = step->GetRenamedCount(); renamed > 0) {
        const QString text = renamed == 1 ? LoadString(IDS_ZIP_RENAMED_ONE)
                                          : LoadString(IDS_ZIP_RENAMED).replace(QLatin1String("%d"), QString::number(renamed));
        CMessageBoxDlg::Show(sheet, CMessageBoxDlg::StyleOk, text);
    }
}
