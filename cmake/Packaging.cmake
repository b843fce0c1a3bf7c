# The Debian packages, two from one build:
# - tessaline-cli: the command line, the imaging module, its manual page and
#   bash completion; nothing of Qt;
# - tessaline: the window, which needs the command line's module, the fonts
#   it is drawn with and xdg-open for the hand-off.
# Each holds its copyright file and the changelog; dpkg-shlibdeps adds the
# libraries the programs and the module link.
find_program(DPKG dpkg)
if(DPKG)
  execute_process(COMMAND ${DPKG} --print-architecture OUTPUT_VARIABLE TESSALINE_DEB_ARCH
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
  set(TESSALINE_DEB_ARCH ${CMAKE_SYSTEM_PROCESSOR})
endif()

# Compressed as Debian wants them: highest level, no name or time inside.
find_program(GZIP gzip REQUIRED)
function(tessaline_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP} -9nc ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
endfunction()

set(TESSALINE_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/changelog.gz)
tessaline_gzip(${PROJECT_SOURCE_DIR}/debian/changelog ${TESSALINE_CHANGELOG_GZ})
add_custom_target(tessaline-changelog ALL DEPENDS ${TESSALINE_CHANGELOG_GZ})
foreach(component_package IN ITEMS "cli;tessaline-cli" "window;tessaline")
  list(GET component_package 0 component)
  list(GET component_package 1 package)
  install(FILES ${PROJECT_SOURCE_DIR}/debian/copyright ${TESSALINE_CHANGELOG_GZ}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL cli window)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvane <info@orvane.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${TESSALINE_DEB_ARCH})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_CLI_PACKAGE_NAME tessaline-cli)
set(CPACK_DEBIAN_CLI_FILE_NAME tessaline-cli_${PROJECT_VERSION}_${TESSALINE_DEB_ARCH}.deb)
set(CPACK_DEBIAN_CLI_PACKAGE_RECOMMENDS xdg-utils)
# Loaded only to deinterlace, so dpkg-shlibdeps does not see it: Debian names
# the package after the library's major version.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TESSALINE_AVFILTER REQUIRED libavfilter)
string(REGEX MATCH "^[0-9]+" TESSALINE_AVFILTER_MAJOR "${TESSALINE_AVFILTER_VERSION}")
set(CPACK_DEBIAN_CLI_PACKAGE_DEPENDS "libavfilter${TESSALINE_AVFILTER_MAJOR}")
set(CPACK_COMPONENT_CLI_DESCRIPTION "converts video files into Flash movies (SWF 4), command line
Tessaline turns AVI, MPEG and VOB videos into SWF 4 movies: only the
changed rectangle of each picture is stored, JPEG-compressed, and the sound
is carried as stream sound. It writes the HTML that embeds the movie, or a
page that plays it with Ruffle in today's browsers.
.
This package holds the command line tessaline-cli, which converts many
files in one go, reports progress and results for scripts (--progress,
--json), and the imaging module both programs use.")

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME tessaline)
set(CPACK_DEBIAN_WINDOW_FILE_NAME tessaline_${PROJECT_VERSION}_${TESSALINE_DEB_ARCH}.deb)
# The X platform plugin only comes as a recommendation of Qt's own libraries.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS
    "tessaline-cli (= ${PROJECT_VERSION}), fonts-liberation, xdg-utils, qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_COMPONENT_WINDOW_DESCRIPTION "converts video files into Flash movies (SWF 4), window
Tessaline turns AVI, MPEG and VOB videos into SWF 4 movies: only the
changed rectangle of each picture is stored, JPEG-compressed, and the sound
is carried as stream sound. It writes the HTML that embeds the movie.
.
This package holds the desktop window tessaline, which opens AVI, MPEG and
VOB files from the file manager.")
include(CPack)
