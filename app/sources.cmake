# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  app/CAboutDlg.cpp
  app/CAboutDlg.h
  app/CHelpCommand.cpp
  app/CHelpCommand.h
  app/CSplashWnd.cpp
  app/CSplashWnd.h
  app/CWizardApp.cpp
  app/CWizardApp.h
)
