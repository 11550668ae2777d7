# What `cmake --install` puts under the prefix and what `cpack -G DEB` packs. The runtime
# files and the desktop files install from resources/.
install(TARGETS vantrel vantrel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The simulator goes under a name of its own beside the programs.
install(PROGRAMS $<TARGET_FILE:quobsim> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME vantrel-quobsim)
# Renamed programs are not stripped with the targets; the package strips it the same way.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vantrel-quobsim\")
  endif()")

# What every Debian package carries: the copyright file and the changelog, compressed.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright DESTINATION ${doc_dir})
execute_process(COMMAND date -u -R -d ${VANTREL_RELEASE_DATE} OUTPUT_VARIABLE VANTREL_RELEASE_DAY
                OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
  COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/debian/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog)
add_custom_target(vantrel_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${doc_dir})

set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel developers")
set(CPACK_PACKAGE_CONTACT "Vantrel developers <vantrel@vantrel.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DV camcorder control, still capture and picture albums")
# The long description below the summary; its lines stay within 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantrel drives DV camcorders and video decks over a serial line, captures
still pictures from tape as DV frames and keeps them in albums with a
thumbnail index, viewer, picture saving and HTML export. The command-line
companion vantrel-cli does the same from the shell, and a simulated
camcorder lets the program be tried without one.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# Library dependencies come from the linked libraries; what is loaded at run time is named here:
# the X11 platform plugin, the fonts of the style file and the icon and MIME databases.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, fonts-liberation2, fonts-dejavu-core, fonts-ipafont-gothic, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils, hicolor-icon-theme")
include(CPack)
