# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  res/ResourceIds.h
  res/StringTable.h res/StringTable.cpp
  res/DialogTemplateData.h res/DialogTemplate.cpp
  res/templates/TemplateTables.h res/templates/PageTemplates.cpp res/templates/DialogBoxTemplates.cpp
)
list(APPEND BV_UI_SOURCES
  res/Bitmaps.h res/Bitmaps.cpp res/images.qrc
  res/DialogUnits.h res/DialogUnits.cpp
  res/DialogTemplate.h res/DialogLayout.cpp
)
