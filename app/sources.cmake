# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  app/CWizardOptions.cpp
  app/CWizardOptions.h
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
# The wizard's --version prints it.
set_source_files_properties(app/CWizardOptions.cpp PROPERTIES COMPILE_DEFINITIONS BV_VERSION="${PROJECT_VERSION}")
