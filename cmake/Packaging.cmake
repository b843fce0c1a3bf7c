# The Debian package: what `cmake --install` installs, with the dependencies
# dpkg-shlibdeps reads from the programs and the module.
find_program(DPKG dpkg)
if(DPKG)
  execute_process(COMMAND ${DPKG} --print-architecture OUTPUT_VARIABLE TESSALINE_DEB_ARCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(TESSALINE_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessaline <tessaline@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts video files into Flash movies (SWF 4)")
set(CPACK_PACKAGE_DESCRIPTION "Tessaline turns AVI, MPEG and VOB videos into SWF 4 movies with JPEG pictures and
stream sound, and writes the HTML that embeds them. It has a desktop window
(tessaline) and a command line (tessaline-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${TESSALINE_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")  # Qt's own dialogs in German
set(CPACK_DEBIAN_FILE_NAME tessaline_${PROJECT_VERSION}_${TESSALINE_DEB_ARCH}.deb)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
include(CPack)
