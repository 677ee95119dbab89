# What `cmake --install` puts where (GNUInstallDirs; CMAKE_INSTALL_PREFIX and DESTDIR apply):
# the three programs, the desktop entry, the icons, the MIME type of project files, the manual
# pages, the program's help (.hlp and HTML) and the package's documentation.
set(TYX_DATA ${CMAKE_SOURCE_DIR}/data)

install(TARGETS tyxplumet tyxbuild tyxhlpc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${TYX_DATA}/tyxplumet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TYX_DATA}/tyxplumet.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${TYX_DATA}/icons/tyxplumet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TYX_DATA}/icons/application-x-tyxplumet-project.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
install(DIRECTORY ${TYX_DATA}/icons/hicolor/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
  FILES_MATCHING PATTERN "*.png")

# Manual pages and the package's change log go compressed, as Debian expects them.
find_program(TYX_GZIP gzip REQUIRED)
set(tyx_compressed "")
foreach(page tyxplumet tyxbuild tyxhlpc)
  set(gz ${CMAKE_BINARY_DIR}/data/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data/man
    COMMAND ${TYX_GZIP} -9 -n -c ${TYX_DATA}/man/${page}.1 > ${gz}
    DEPENDS ${TYX_DATA}/man/${page}.1
    VERBATIM)
  list(APPEND tyx_compressed ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${TYX_GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/packaging/debian/changelog > ${changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
  VERBATIM)
list(APPEND tyx_compressed ${changelog})
add_custom_target(tyx_compressed ALL DEPENDS ${tyx_compressed})

set(TYX_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tyxplumet)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright ${changelog} DESTINATION ${TYX_DOC_DESTINATION})

install(FILES ${TYX_HELP_HLP} DESTINATION ${TYX_DATA_DESTINATION})
install(DIRECTORY ${TYX_HELP_HTML} DESTINATION ${TYX_DATA_DESTINATION})
