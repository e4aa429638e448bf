# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  criteria/PageSequence.h criteria/PageSequence.cpp
  criteria/CTime.h criteria/CTime.cpp
  criteria/CFileScan.h criteria/CFileScan.cpp
)
list(APPEND BV_UI_SOURCES
  criteria/CMethodPage.h criteria/CMethodPage.cpp
  criteria/CCriteriaPage.h criteria/CCriteriaPage.cpp
  criteria/CDrivePage.h criteria/CDrivePage.cpp
  criteria/CPatternPage.h criteria/CPatternPage.cpp
  criteria/CLocationPage.h criteria/CLocationPage.cpp
  criteria/CNamePage.h criteria/CNamePage.cpp
  criteria/CExtensionPage.h criteria/CExtensionPage.cpp
  criteria/CSizePage.h criteria/CSizePage.cpp
  criteria/CTimePage.h criteria/CTimePage.cpp
  criteria/CCreationTimePage.h criteria/CCreationTimePage.cpp
  criteria/CModifiedTimePage.h criteria/CModifiedTimePage.cpp
  criteria/CAccessedTimePage.h criteria/CAccessedTimePage.cpp
)
