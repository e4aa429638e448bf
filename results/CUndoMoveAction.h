#pragma once

#include <memory>

class CMoveRecord;
class CResultsHost;
class QMenu;

// Undo Move on the results page: keeps the last Move's record until the
// next action, Restart or scan, and puts its files back, with their rows,
// through the action loop.
class CUndoMoveAction
{
public:
    explicit CUndoMoveAction(CResultsHost &host);
    ~CUndoMoveAction();

    // An empty record (nothing moved) is not kept.
    void Keep(std::unique_ptr<CMoveRecord> record);
    void Forget();
    bool CanUndo() const { return m_pLastMove != nullptr; }
    // "Undo Move", enabled while there is a Move to undo and `bIdle`.
    void AddMenuItem(QMenu *menu, bool bIdle);
    void Run();

private:
    CResultsHost &m_host;
    std::unique_ptr<CMoveRecord> m_pLastMove;
};
