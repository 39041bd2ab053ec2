# quillkeep on the Linux desktop (Qt 6 widgets).

# The icon files of the Windows resources, compiled in as byte arrays.
set(qk_icon_header "")
foreach(pair "quillkeep.ico:kNotebookIcon" "password_key.ico:kPasswordKeyIcon")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 file)
  list(GET pair 1 symbol)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${file})
  file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${file} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND qk_icon_header "inline constexpr unsigned char ${symbol}[] = {${bytes}};\n")
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/tools/quillkeep/qt/icon_data.h
     CONTENT "// Generated from tools/quillkeep/*.ico by tools/quillkeep/qt/targets.cmake.\n#pragma once\n${qk_icon_header}")

add_library(qk_quillkeep_qt STATIC qt/icons.cpp)
qk_qt_target_defaults(qk_quillkeep_qt)
target_include_directories(qk_quillkeep_qt PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(qk_quillkeep_qt PUBLIC qk_platform_qt)

set(QK_QT_NOTEBOOK_LIBS qk_app qk_ui qk_commands qk_db qk_quillkeep_qt qk_platform_qt qk_platform)

add_executable(quillkeep qt/main.cpp)
qk_qt_target_defaults(quillkeep)
target_link_libraries(quillkeep PRIVATE ${QK_QT_NOTEBOOK_LIBS})

# quillkeep-gui-test: the same notebook with the scenario scripts played
# through real Qt widgets and input events (offscreen by default).
if(TARGET qk_scenario_driver AND TARGET qk_session_options)
  file(GLOB QK_QT_GUI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/qt/gui_test/*.cpp)
  add_executable(quillkeep-gui-test ${QK_QT_GUI_TEST_SOURCES})
  qk_qt_target_defaults(quillkeep-gui-test)
  target_link_libraries(quillkeep-gui-test PRIVATE qk_session_options qk_scenario_pieces qk_scenario_driver ${QK_QT_NOTEBOOK_LIBS}
                        qk_platform_sim Qt6::Test)
endif()

# Installed as a desktop program: /usr/bin/quillkeep with its desktop entry
# and icon (the Debian package: cmake/QuillkeepPackage.cmake).
include(GNUInstallDirs)
install(TARGETS quillkeep RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/linux/quillkeep.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/linux/quillkeep.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
