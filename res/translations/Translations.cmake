# The wizard's translations. lrelease turns each brimvale_<language>.ts into a
# .qm in translations/ beside the program, where CTranslationLoader finds it
# in the build folder as in an installation (share/brimvale/translations).
# The target brimvale_lupdate brings the .ts files up to date with the string
# table after texts were added or changed; its result is committed.
find_program(BV_LRELEASE NAMES lrelease lrelease-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin REQUIRED)
find_program(BV_LUPDATE NAMES lupdate lupdate-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin REQUIRED)

set(BV_TRANSLATION_SOURCES ${CMAKE_SOURCE_DIR}/res/StringTable.cpp)
file(GLOB BV_TS_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/translations/brimvale_*.ts)
set(BV_QM_DIR ${CMAKE_BINARY_DIR}/translations)
set(BV_QM_FILES)
foreach(ts IN LISTS BV_TS_FILES)
  get_filename_component(stem ${ts} NAME_WE)
  set(qm ${BV_QM_DIR}/${stem}.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${BV_QM_DIR}
    COMMAND ${BV_LRELEASE} -silent ${ts} -qm ${qm}
    DEPENDS ${ts}
    COMMENT "Compiling the translation ${stem}")
  list(APPEND BV_QM_FILES ${qm})
endforeach()
add_custom_target(brimvale_translations ALL DEPENDS ${BV_QM_FILES})
add_dependencies(brimvale brimvale_translations)

add_custom_target(brimvale_lupdate
  COMMAND ${BV_LUPDATE} -silent -locations none -no-obsolete ${BV_TRANSLATION_SOURCES} -ts ${BV_TS_FILES}
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Updating the translations from the string table")

install(FILES ${BV_QM_FILES} DESTINATION ${CMAKE_INSTALL_DATADIR}/brimvale/translations)
