# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  results/CActionRun.cpp
  results/CActionRun.h
  results/CColumnFitter.cpp
  results/CColumnFitter.h
  results/CCompressAction.cpp
  results/CCompressAction.h
  results/CMoveAction.cpp
  results/CMoveAction.h
  results/CReasonsDlg.cpp
  results/CReasonsDlg.h
  results/CResultsPage.cpp
  results/CResultsHost.h
  results/CResultsMenu.cpp
  results/CResultsMenu.h
  results/CResultsPage.h
  results/CSaveListAction.cpp
  results/CSaveListAction.h
  results/CSelectFolderDlg.cpp
  results/CSelectFolderDlg.h
  results/CTotalsLine.cpp
  results/CTotalsLine.h
  results/CUndoMoveAction.cpp
  results/CUndoMoveAction.h
)
