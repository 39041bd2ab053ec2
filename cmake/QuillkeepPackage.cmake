# The release archive: a ZIP with quillkeep.exe, qkdb.exe, the README and
# the user's guide in Chinese (Windows builds). Made with `cpack` in the build folder, or the `package`
# target: cmake --build --preset windows --target package
if(NOT WIN32 OR NOT TARGET quillkeep)
  return()
endif()
if(TARGET qkdb)
  install(TARGETS qkdb RUNTIME DESTINATION .)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${QK_USER_GUIDE_ZH} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quillkeep)
set(CPACK_PACKAGE_VENDOR "Quillkeep developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quillkeep password notebook")
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
