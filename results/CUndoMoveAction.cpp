#include "results/CUndoMoveAction.h"

#include "core/CMoveRecord.h"
#include "core/CUndoMoveStep.h"
#include "res/ResourceIds.h"
#include "res/StringTable.h"
#include "results/CActionRun.h"
#include "results/CResultsHost.h"

#include <QMenu>

CUndoMoveAction::CUndoMoveAction(CResultsHost &host) : m_host(host) {}

CUndoMoveAction::~CUndoMoveAction() = default;

void CUndoMoveAction::Keep(std::unique_ptr<CMoveRecord> record)
{
    m_pLastMove = record && !record->IsEmpty() ? std::move(record) : nullptr;
}

void CUndoMoveAction::Forget()
{
    m_pLastMove.reset();
}

void CUndoMoveAction::AddMenuItem(QMenu *menu, bool bIdle)
{
    QAction *undo = menu->addAction(LoadString(IDS_UNDO_MOVE), menu, [this] { Run(); });
    undo->setEnabled(CanUndo() && bIdle);
}

void CUndoMoveAction::Run()
{
    if (!CanUndo())
        return;
    CUndoMoveStep step(*m_host.GetModel(), std::move(m_pLastMove));
    CActionRun(m_host).Run(step);
}
