#pragma once

#include "core/FailedFile.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QString>

class CFlatPushButton;
class CSortArrowHeader;
class QLabel;
class CTypedItemModel;
class QTreeView;

// Lists, after an action, the files it could not handle, each with the
// reason it failed where the action gave one. It opens small, showing only
// the message and two buttons; Details unfolds the list below them and
// folds it away again.
class CFailedFilesDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CFailedFilesDlg(QWidget *parent = nullptr);

    void setVisible(bool visible) override;

    bool IsCollapsed() const { return m_bCollapsed != 0; }
    QSize GetExpandedSize() const { return {m_cxExpanded, m_cyExpanded}; }
    QTreeView *GetList() const { return m_listFailed; }
    CSortArrowHeader *GetHeader() const { return m_headerFailed; }
    CFlatPushButton *GetOkButton() const { return m_btnOk; }
    CFlatPushButton *GetDetailsButton() const { return m_btnDetails; }
    QLabel *GetMessageStatic() const { return m_wndMessage; }

    // Set by the action before the dialog is shown: its message, and each
    // failed file's full path as raw bytes with the reason it failed, in the
    // order the action met them.
    void SetMessage(const QString &message) { m_strMessage = message; }
    const QString &GetMessage() const { return m_strMessage; }
    void SetFailedFiles(const QList<FailedFile> &failed);
    void SetFailedPaths(const QList<QByteArray> &paths);
    const QList<QByteArray> &GetFailedPaths() const { return m_arrFailed; }
    const QList<FailedFile> &GetFailedFiles() const { return m_failed; }

public slots:
    void OnDetails();

private:
    QString m_strMessage;
    QList<QByteArray> m_arrFailed;
    QList<FailedFile> m_failed;

    void OnInitDialog();
    void SetUpList();

    QTreeView *m_listFailed;
    CTypedItemModel *m_modelFailed;
    CFlatPushButton *m_btnOk;
    CFlatPushButton *m_btnDetails;
    QLabel *m_wndMessage;
    QLabel *m_wndIcon;
    CSortArrowHeader *m_headerFailed;
    int m_cxExpanded = 0;
    int m_cxCollapsed = 0;
    int m_cyExpanded = 0;
    int m_cyCollapsed = 0;
    int m_bCollapsed = 0;
    bool m_bInitialised = false;
};
