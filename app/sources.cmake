# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  app/CWizardPage.h app/CWizardPage.cpp
  app/CWizard.h app/CWizard.cpp
  app/CSplashWnd.h app/CSplashWnd.cpp
  app/CWizardApp.h app/CWizardApp.cpp
)
