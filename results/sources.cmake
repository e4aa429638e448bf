# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  results/CCompressAction.cpp
  results/CCompressAction.h
  results/CMoveAction.cpp
  results/CMoveAction.h
  results/CResultsPage.cpp
  results/CReasonsDlg.cpp
  results/CReasonsDlg.h
  results/CResultsPage.cpp
  results/CResultsPage.h
  results/CSaveListAction.cpp
  results/CSaveListAction.h
  results/CSelectFolderDlg.cpp
  results/CSelectFolderDlg.h
)
