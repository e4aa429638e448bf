#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <vector>

class CCheckBoxListCtrl;
class CFlatPushButton;
class CResultsModel;
class CSortArrowHeader;
class QStandardItemModel;

// The listed files reason by reason: how many files each reason lists, their
// size and what removing them would free. A reason's check box, or Check and
// Uncheck on the selected reasons, checks or unchecks all of its files at
// once; locked files stay unchecked.
class CReasonsDlg : public QDialog
{
    Q_OBJECT

public:
    // What removing the given files (store indices) frees on the disk.
    using FreesProvider = std::function<std::int64_t(const std::vector<int> &indices)>;

    explicit CReasonsDlg(CResultsModel &model, QWidget *parent = nullptr);

    // Replaces the store's forecast (by default: allocated blocks, hard
    // links only when all are among the files, held-open files as nothing);
    // the rows are worked out again with it.
    void SetFreesProvider(FreesProvider provider);

    // Works the rows out again from the results (after checks changed).
    void Refresh();

    // Checks (`bCheck`) or unchecks every file of the given reason rows, in
    // one change of the results model.
    void CheckRows(const std::vector<int> &rows, bool bCheck);
    void OnCheck();
    void OnUncheck();

    CCheckBoxListCtrl *GetList() const { return m_listReasons; }
    QStandardItemModel *GetReasonModel() const { return m_modelReasons; }
    // Reason id (CReasonTable) shown at `row`, -1 for none.
    int GetReasonAt(int row) const;

    // Item data role holding each cell's sort key.
    static constexpr int kSortKeyRole = Qt::UserRole + 1;
    static constexpr int kReasonIdRole = Qt::UserRole + 2;

private:
    void OnListCheckChanged(int nNewState, int nRow);
    std::vector<int> SelectedRows() const;

    CResultsModel &m_model;
    FreesProvider m_frees;
    CCheckBoxListCtrl *m_listReasons;
    QStandardItemModel *m_modelReasons;
    CSortArrowHeader *m_headerReasons = nullptr;
    CFlatPushButton *m_btnCheck;
    CFlatPushButton *m_btnUncheck;
    CFlatPushButton *m_btnClose;
    bool m_bFilling = false;
};
