# The release packages, made with `cpack` in the build folder or the
# `package` target:
# - Windows builds: a ZIP with quillkeep.exe, qkdb.exe, the README and the
#   user's guide in Chinese (cmake --build --preset windows --target package);
# - Linux builds with the Qt desktop: a Debian package with /usr/bin/quillkeep,
#   /usr/bin/qkdb, the desktop entry and the icon
#   (cmake --preset release && cmake --build --preset release --target quillkeep qkdb
#    && cd build/release && cpack -G DEB).
if(NOT TARGET quillkeep)
  return()
endif()
set(CPACK_PACKAGE_NAME Quillkeep)
set(CPACK_PACKAGE_VENDOR "Quillkeep developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quillkeep password notebook")

if(NOT WIN32)
  include(GNUInstallDirs)
  if(TARGET qkdb)
    install(TARGETS qkdb RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME quillkeep)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quillkeep developers")
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Keeps the accounts and passwords of web sites in one enciphered notebook,
with a Chinese user interface. qkdb works on the notebook's file from the
command line.")
  # The libraries the executables link (the Qt 6 ones among them) come from
  # dpkg-shlibdeps (package dpkg-dev); the Chinese font is what the windows
  # draw their texts with, and an input method frontend lets a person type
  # Chinese. qt6-wayland lets the windows run natively on Wayland (without
  # it they go through XWayland).
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-zenhei | fonts-wqy-microhei")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fcitx5-frontend-qt6, qt6-wayland")
  include(CPack)
  return()
endif()
if(TARGET qkdb)
  install(TARGETS qkdb RUNTIME DESTINATION .)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${QK_USER_GUIDE_ZH} DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
