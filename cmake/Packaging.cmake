# Installation layout and the Debian package.
include(GNUInstallDirs)

set(SAPLOGON_APP_ID org.saplogoneditor.Editor)
set(pkg ${PROJECT_SOURCE_DIR}/packaging)

foreach(exe saplogon-editor saplogon-ini)
  if(TARGET ${exe})
    install(TARGETS ${exe} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${pkg}/${SAPLOGON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${pkg}/${SAPLOGON_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${pkg}/${SAPLOGON_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME ${SAPLOGON_APP_ID}.xml)
install(FILES ${pkg}/icons/${SAPLOGON_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
  install(FILES ${pkg}/icons/${size}x${size}/${SAPLOGON_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian wants compressed, reproducible man pages.
set(man_gz ${CMAKE_BINARY_DIR}/saplogon-ini.1.gz)
add_custom_command(OUTPUT ${man_gz}
  COMMAND gzip -9nc ${pkg}/saplogon-ini.1 > ${man_gz}
  DEPENDS ${pkg}/saplogon-ini.1 VERBATIM)
add_custom_target(manpage ALL DEPENDS ${man_gz})
install(FILES ${man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME saplogon-editor)
set(CPACK_PACKAGE_VENDOR "Editor for SAPLOGON.INI team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for SAPLOGON.INI, the SAP Logon connection list")
set(CPACK_PACKAGE_DESCRIPTION
  "Desktop editor for SAPLOGON.INI: browse and edit the SAP system connections and global\n settings of SAP Logon with field help, reorder, import and renumber entries, and save with\n a timestamped backup of the previous file. Includes the scripting tool saplogon-ini.")
set(CPACK_PACKAGE_CONTACT "Editor for SAPLOGON.INI team <maintainers@saplogon-editor.invalid>")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
