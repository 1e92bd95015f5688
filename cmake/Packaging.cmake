# Installation layout and the Debian package.
include(GNUInstallDirs)

# The desktop entry's name, which the window also announces; the AppStream component id is the
# same in lower case, as AppStream wants, and names the desktop entry as its launchable.
set(SAPLOGON_APP_ID org.saplogoneditor.Editor)
string(TOLOWER ${SAPLOGON_APP_ID} SAPLOGON_COMPONENT_ID)
set(pkg ${PROJECT_SOURCE_DIR}/packaging)

# Debian's own tools take the packager from DEBFULLNAME and DEBEMAIL; so does the first configure.
if(DEFINED ENV{DEBEMAIL} AND DEFINED ENV{DEBFULLNAME})
  set(maintainer_default "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
else()
  set(maintainer_default "Editor for SAPLOGON.INI team <maintainers@users.noreply.c-seed-07d7edfc.example>")
endif()
set(SAPLOGON_MAINTAINER "${maintainer_default}" CACHE STRING
  "Maintainer field of the Debian package: Name <address>")

foreach(exe saplogon-editor saplogon-ini)
  if(TARGET ${exe})
    install(TARGETS ${exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${pkg}/${SAPLOGON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/${SAPLOGON_COMPONENT_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/${SAPLOGON_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME ${SAPLOGON_APP_ID}.xml)
install(FILES ${pkg}/icons/${SAPLOGON_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES ${pkg}/icons/${size}x${size}/${SAPLOGON_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian wants man pages and the changelog compressed, and reproducibly (no name, no time).
set(docdir ${CMAKE_INSTALL_DATADIR}/doc/saplogon-editor)
set(gzipped)
foreach(page saplogon-editor.1 saplogon-ini.1 changelog)
  set(gz ${CMAKE_BINARY_DIR}/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9nc ${pkg}/${page} > ${gz}
    DEPENDS ${pkg}/${page} VERBATIM)
  list(APPEND gzipped ${gz})
endforeach()
add_custom_target(packaged_docs ALL DEPENDS ${gzipped})
install(FILES ${CMAKE_BINARY_DIR}/saplogon-editor.1.gz ${CMAKE_BINARY_DIR}/saplogon-ini.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${pkg}/copyright DESTINATION ${docdir})

# A version raised without a changelog entry would ship a changelog that contradicts the package.
file(STRINGS ${pkg}/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^saplogon-editor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with '${changelog_head}', "
    "but the project version is ${PROJECT_VERSION}: add an entry for it")
endif()

set(CPACK_PACKAGE_NAME saplogon-editor)
set(CPACK_PACKAGE_VENDOR "Editor for SAPLOGON.INI team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# CPack indents every line by one space and turns an empty line into " .": a line given here
# with a space of its own would be shown verbatim.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for SAPLOGON.INI, the SAP Logon connection list")
set(CPACK_PACKAGE_DESCRIPTION [=[
A desktop editor for the file in which SAP Logon keeps its list of SAP system
connections. It lists the entries and edits each entry's fields in a form, with
help for the focused field; edits the global settings; adds, copies, removes,
reorders, imports and renumbers entries; and shows the regenerated file text
before it is saved. Every save first keeps the previous file as a backup named
after the date and time.

The package also holds saplogon-ini, a command-line tool that reads,
regenerates, normalizes, imports and renumbers the file in scripts.]=])
set(CPACK_PACKAGE_CONTACT "${SAPLOGON_MAINTAINER}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads these at run time, so the library scan cannot see them: every picture of the window
# is an SVG.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The metric-compatible faces of the window's fonts; the certificates for HTTPS when the
# maker's servers are configured.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, ca-certificates")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
