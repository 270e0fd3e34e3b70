# What `cmake --install` puts under the prefix, and the .deb that
# `./build.sh package` makes from it with CPack.
include(GNUInstallDirs)

set(QVA_APP_ID com.ulmora.qvasetup)
# The package revision of this version; data/debian-changelog names it too.
set(QVA_PACKAGE_RELEASE 1)
set(QVA_HOMEPAGE_URL "https://www.ulmora.example/quvarant" CACHE STRING "Home page named in the metainfo")
set(QVA_SCREENSHOT_URL "${QVA_HOMEPAGE_URL}/screenshots" CACHE STRING
    "Where docs/screenshots/*.png are published; the metainfo points there")
set(QVA_PACKAGE_MAINTAINER_NAME "Ulmora" CACHE STRING "Maintainer of the .deb")
set(QVA_PACKAGE_MAINTAINER_EMAIL "support@ulmora.example" CACHE STRING "Maintainer's address")

install(TARGETS qva-setup qva-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET qva-device-sim)
  install(TARGETS qva-device-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Desktop entry, icons and AppStream metainfo.
install(FILES data/${QVA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/icons/qva-setup.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES data/icons/hicolor/${size}x${size}/qva-setup.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
file(GLOB screenshots RELATIVE ${PROJECT_SOURCE_DIR}/docs/screenshots ${PROJECT_SOURCE_DIR}/docs/screenshots/*.png)
list(SORT screenshots)
set(QVA_METAINFO_SCREENSHOTS "")
set(default " type=\"default\"")
foreach(shot IN LISTS screenshots)
  string(APPEND QVA_METAINFO_SCREENSHOTS
         "    <screenshot${default}>\n      <image>${QVA_SCREENSHOT_URL}/${shot}</image>\n    </screenshot>\n")
  set(default "")
endforeach()
configure_file(data/${QVA_APP_ID}.metainfo.xml.in ${PROJECT_BINARY_DIR}/data/${QVA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/${QVA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the Debian changelog, compressed as Debian wants them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed)
foreach(page qva-setup qva-cli qva-device-sim)
  set(VERSION ${PROJECT_VERSION})
  configure_file(data/man/${page}.1 ${PROJECT_BINARY_DIR}/data/man/${page}.1 @ONLY)
  list(APPEND compressed ${PROJECT_BINARY_DIR}/data/man/${page}.1.gz)
  install(FILES ${PROJECT_BINARY_DIR}/data/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(data/debian-changelog ${PROJECT_BINARY_DIR}/data/changelog.Debian @ONLY)
list(APPEND compressed ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz)
foreach(file IN LISTS compressed)
  string(REGEX REPLACE "\\.gz$" "" plain ${file})
  add_custom_command(OUTPUT ${file} COMMAND ${GZIP_PROGRAM} -9nkf ${plain} DEPENDS ${plain} VERBATIM)
endforeach()
add_custom_target(qva-install-data ALL DEPENDS ${compressed})

# README, licence and changelog.
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/qva-setup)
install(FILES README.md DESTINATION ${docdir})
install(FILES LICENSE DESTINATION ${docdir} RENAME copyright)
install(FILES ${PROJECT_BINARY_DIR}/data/changelog.Debian.gz DESTINATION ${docdir})
install(DIRECTORY docs/screenshots DESTINATION ${docdir} OPTIONAL FILES_MATCHING PATTERN "*.png")

# The .deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qva-setup)
set(CPACK_PACKAGE_VENDOR Ulmora)
set(CPACK_PACKAGE_CONTACT "${QVA_PACKAGE_MAINTAINER_NAME} <${QVA_PACKAGE_MAINTAINER_EMAIL}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool of the Quvarant wideband lambda meter")
set(CPACK_PACKAGE_DESCRIPTION "Creates, edits, opens and saves the meter's configuration, gets it from the
meter and sends it over an RS-232 line, calibrates the oxygen sensor and
moves lookup tables in and out as files. Includes the command-line tool
qva-cli and the meter simulator qva-device-sim.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QVA_PACKAGE_RELEASE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QVA_HOMEPAGE_URL})
include(CPack)
