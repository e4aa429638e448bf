# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
)
list(APPEND BV_UI_SOURCES
  shell/CFileIconProvider.cpp
  shell/CFileIconProvider.h
  shell/CShellTree.cpp
  shell/CShellTree.h
)
