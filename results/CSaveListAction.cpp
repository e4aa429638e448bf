#include "results/CSaveListAction.h"

#include "controls/CMessageBoxDlg.h"
#include "core/CCsvListWriter.h"
#include "core/CResultsModel.h"
#include "platform/CPathInfo.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"

#include <QFile>
#include <QFileDialog>
#include <cstring>
#include <vector>

namespace {

CSaveListAction::AskPathHook &AskHook()
{
    static CSaveListAction::AskPathHook hook;
    return hook;
}

} // namespace

void CSaveListAction::SetAskPathHook(AskPathHook hook)
{
    AskHook() = std::move(hook);
}

QString CSaveListAction::AskPath(QWidget *parent)
{
    QString title = LoadString(IDS_MENU_SAVE_LIST);
    while (title.endsWith(QLatin1Char('.')))
        title.chop(1);
    QFileDialog dialog(parent, title);
    dialog.setObjectName(QStringLiteral("SaveList"));
    // Replacing an existing file is asked about by the dialog itself.
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("CSV (*.csv)"), QStringLiteral("* (*)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("brimvale-list.csv"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void CSaveListAction::Run(CResultsModel &model, QWidget *parent)
{
    const QString path = AskHook() ? AskHook()(parent) : AskPath(parent);
    if (path.isEmpty())
        return;
    Save(model, QFile::encodeName(path), parent);
}

bool CSaveListAction::Save(CResultsModel &model, const QByteArray &path, QWidget *parent)
{
    model.FlushPendingRows();
    std::vector<int> items;
    items.reserve(std::size_t(model.rowCount()));
    for (int row = 0; row < model.rowCount(); ++row)
        items.push_back(model.GetItem(row));
    const QByteArray text = CCsvListWriter::Write(model.GetStore(), items);
    // Written beside the target under another name and renamed over it
    // only once complete: a full disk never leaves half a list behind.
    int error = 0;
    if (CPathInfo::ReplaceFile(path, text, error))
        return true;
    QString message = LoadString(IDS_SAVE_LIST_FAILED);
    const QString values[2] = {QFile::decodeName(path), QString::fromLocal8Bit(std::strerror(error))};
    qsizetype from = 0;
    for (const QString &value : values) {
        // After the value just put in, which may itself hold "%s".
        const qsizetype at = message.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        message.replace(at, 2, value);
        from = at + value.size();
    }
    CMessageBoxDlg::Show(parent, CMessageBoxDlg::StyleOk, message);
    return false;
}
