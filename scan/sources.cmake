# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  scan/CEventPump.h scan/CEventPump.cpp
  scan/WalkRecord.h
  scan/CPatternList.h scan/CPatternList.cpp
  scan/CFileMatcher.h scan/CFileMatcher.cpp
)
list(APPEND BV_UI_SOURCES
  scan/ModelessWindow.h scan/ModelessWindow.cpp
  scan/CCancellableDlg.h scan/CCancellableDlg.cpp
  scan/CScanDlg.h scan/CScanDlg.cpp
)
