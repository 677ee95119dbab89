# `cpack -G DEB` in the build folder makes tyxplumet_<version>_<arch>.deb for Debian 12: the
# installed files under /usr, binaries stripped, dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tyxplumet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tyx Plumet")
set(CPACK_PACKAGE_CONTACT "Équipe Tyx Plumet <tyxplumet@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "authoring tool for WinHelp help files, in French")
set(CPACK_PACKAGE_DESCRIPTION "Tyx Plumet writes the topics of a help project (.hpa file) one at a
time, with light markup, keywords, see-also links and popups, and builds from
them the RTF topic file and the .hpj project file of the WinHelp compiler.
Its built-in compiler writes the .hlp help file; an outside compiler can be
used instead. The user interface is in French.
.
This package holds the program (tyxplumet), its command-line build (tyxbuild),
the WinHelp compiler on its own (tyxhlpc), and the program's help.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The system's compression, not CPack's own choice, so that the package reads everywhere.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
