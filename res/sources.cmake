# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  res/CTranslationLoader.cpp
  res/CTranslationLoader.h
  res/DialogTemplate.cpp
  res/DialogTemplateData.h
  res/ResourceIds.h
  res/StringTable.cpp
  res/StringTable.h
  res/templates/DialogBoxTemplates.cpp
  res/templates/PageTemplates.cpp
  res/templates/TemplateTables.h
)
list(APPEND BV_UI_SOURCES
  res/Bitmaps.cpp
  res/Bitmaps.h
  res/DialogLayout.cpp
  res/DialogTemplate.h
  res/DialogUnits.cpp
  res/DialogUnits.h
  res/images.qrc
)
