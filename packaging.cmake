# Installation and packages. The man page and the packages take the project version from
# CMakeLists.txt, like the Windows version resource.
include(GNUInstallDirs)

if(WIN32)
  # The .zip: dustpan.exe with the README and the licence beside it.
  install(FILES README.md LICENSE DESTINATION .)
  set(CPACK_GENERATOR ZIP)
else()
  configure_file(docs/dustpan.1.in ${CMAKE_CURRENT_BINARY_DIR}/dustpan.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/dustpan.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ DEB)
endif()

set(CPACK_PACKAGE_NAME dustpan)
set(CPACK_PACKAGE_VENDOR "dustpan developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "dustpan moves the files and folders named in a list file to the trash, or empties the trash, on behalf of another program, and reports one status line and an exit status. On Linux it uses the FreeDesktop.org trash shared with file managers, gio and trash-cli.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "dustpan developers <dev@dustpan.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME "dustpan-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The C++ runtime is linked in; renameat2 and statx need glibc 2.28.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.28)")
include(CPack)
