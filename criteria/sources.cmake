# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  criteria/CAccessedTimePage.cpp
  criteria/CAccessedTimePage.h
  criteria/CCreationTimePage.cpp
  criteria/CCreationTimePage.h
  criteria/CCriteriaPage.cpp
  criteria/CCriteriaPage.h
  criteria/CDrivePage.cpp
  criteria/CDrivePage.h
  criteria/CExtensionPage.cpp
  criteria/CExtensionPage.h
  criteria/CLocationPage.cpp
  criteria/CLocationPage.h
  criteria/CMethodPage.cpp
  criteria/CMethodPage.h
  criteria/CModifiedTimePage.cpp
  criteria/CModifiedTimePage.h
  criteria/CNamePage.cpp
  criteria/CNamePage.h
  criteria/CPatternPage.cpp
  criteria/CPatternPage.h
  criteria/CSizePage.cpp
  criteria/CSizePage.h
  criteria/CTimePage.cpp
  criteria/CTimePage.h
)
