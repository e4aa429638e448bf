# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  res/StringTable.h res/StringTable.cpp
)
list(APPEND BV_UI_SOURCES
  res/DialogUnits.h res/DialogUnits.cpp
)
