# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  results/CActionStep.h results/CEliminateStep.h
  results/CDeleteStep.h results/CDeleteStep.cpp
  results/SizeText.h results/SizeText.cpp
  results/ResultColumns.h
  results/CPathArray.h results/CPathArray.cpp
  results/CResultStore.h results/CResultStore.cpp
  results/CResultsSorter.h results/CResultsSorter.cpp
  results/CResultsModel.h results/CResultsModel.cpp
)
list(APPEND BV_UI_SOURCES
  results/CActionProgressDlg.h results/CActionProgressDlg.cpp
  results/CRestartProgressDlg.h results/CRestartProgressDlg.cpp
  results/CResultsPage.h results/CResultsPage.cpp
  results/CMessageBoxDlg.h results/CMessageBoxDlg.cpp
  results/CFailedFilesDlg.h results/CFailedFilesDlg.cpp
)
