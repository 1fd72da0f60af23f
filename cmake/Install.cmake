# Installing Stepvane as a Linux desktop application, and its Debian package.
#
#   cmake --install build --prefix P    programs in P/bin, data in P/share/stepvane,
#                                       desktop entry, MIME types, icons, AppStream
#                                       metadata, manual pages and the bash
#                                       completion under P/share
#   make package                        a .deb of the same tree, for /usr
#
# The programs find their data in ../share/stepvane beside themselves (and in
# the data folder beside them in the build tree), so the two folders keep that
# relation whatever the prefix.
include(GNUInstallDirs)

if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "Stepvane looks for its data in ../share/stepvane beside its programs; "
                  "CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} and "
                  "CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} break that; set "
                  "STEPVANE_DATA_DIR at run time.")
endif()

set(STEPVANE_APP_ID com.vexmar.Stepvane)
# Maintainer field of the Debian package and its changelog.
set(STEPVANE_PACKAGE_MAINTAINER "Stepvane developers <stepvane@vexmar.com>")
# SPDX identifier; data/debian/copyright holds its text.
set(STEPVANE_LICENSE LicenseRef-proprietary)
include(${CMAKE_CURRENT_LIST_DIR}/ReleaseFiles.cmake)
set(_desktop ${CMAKE_SOURCE_DIR}/data/desktop)

foreach(_program stepvane stepvane-cli stepvane-sim)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The data files the programs read, without the files that go to the desktop's
# own folders below.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/stepvane
  PATTERN debian EXCLUDE
  PATTERN desktop EXCLUDE
  PATTERN man EXCLUDE)

install(FILES ${_desktop}/${STEPVANE_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/${STEPVANE_APP_ID}.mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME ${STEPVANE_APP_ID}.xml)
install(FILES ${STEPVANE_METAINFO}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_desktop}/icons/${STEPVANE_APP_ID}.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_desktop}/icons/application-x-stepvane-wizard.svg
              ${_desktop}/icons/application-x-stepvane-testing-unit.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
# Manual pages go compressed, as Debian keeps them.
set(_man_pages)
foreach(_page stepvane.1 stepvane-cli.1 stepvane-sim.1)
  set(_out ${CMAKE_BINARY_DIR}/man/${_page}.gz)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/data/man/${_page} > ${_out}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/man/${_page}
    VERBATIM)
  list(APPEND _man_pages ${_out})
endforeach()
add_custom_target(stepvane_man ALL DEPENDS ${_man_pages})
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The bash completion, written by the program from the command table that
# prints its help. Leak checks are off: a sanitized build runs it too.
if(TARGET stepvane-cli)
  set(_completion ${CMAKE_BINARY_DIR}/completion/stepvane-cli)
  add_custom_command(OUTPUT ${_completion}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:stepvane-cli> completion bash > ${_completion}
    DEPENDS stepvane-cli
    VERBATIM)
  add_custom_target(stepvane_completion ALL DEPENDS ${_completion})
  install(FILES ${_completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# The copyright file and the changelog, where Debian keeps them.
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright ${STEPVANE_CHANGELOG}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/stepvane)

# --- Debian package (cpack -G DEB, or make package) ---

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stepvane)
set(CPACK_PACKAGE_VENDOR Vexmar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "editor for guided test procedures of VX310A to VX340A analyzers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${STEPVANE_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGE_DESCRIPTION
  "Stepvane composes wizards: guided test procedures that field technicians run
step by step on the VX310A, VX320A, VX330A and VX340A handheld cable and
antenna analyzers. It checks a wizard for its model, prints its testing
summary and sends it to the instrument over TCP/IP or USB.

The package holds the editor (stepvane), a command-line tool (stepvane-cli)
and an instrument simulator (stepvane-sim).")
# The libraries the programs link come from dpkg-shlibdeps; the Qt plugins
# they load at run time (the X11 platform, the JPEG reader) ship with one of
# them, libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")
include(CPack)
