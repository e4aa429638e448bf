# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  core/CActionStep.h
  core/CDeleteStep.cpp
  core/CDeleteStep.h
  core/CEliminateStep.h
  core/CEventPump.cpp
  core/CEventPump.h
  core/CFileMatcher.cpp
  core/CFileMatcher.h
  core/CFileScan.cpp
  core/CFileScan.h
  core/CMatchSink.h
  core/CListSorter.cpp
  core/CListSorter.h
  core/CPathArray.cpp
  core/CPathArray.h
  core/CPatternList.cpp
  core/CPatternList.h
  core/CResultStore.cpp
  core/CResultStore.h
  core/CResultsModel.cpp
  core/CResultsModel.h
  core/CResultsSorter.cpp
  core/CResultsSorter.h
  core/FileOpReason.cpp
  core/FileOpReason.h
  core/PageSequence.cpp
  core/PageSequence.h
  core/ResultColumns.h
  core/SizeText.cpp
  core/SizeText.h
)
list(APPEND BV_UI_SOURCES
)
