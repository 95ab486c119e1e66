# What `cmake --install` puts under the prefix, and the Debian package CPack builds from it.
# Every program target that exists is installed; the package's library dependencies are computed
# by dpkg-shlibdeps from the installed programs, so a library linked later needs no edit here.

include(GNUInstallDirs)

set(QUIRVEX_PROGRAMAS kartoserv)
if(TARGET quirvex)
  list(APPEND QUIRVEX_PROGRAMAS quirvex)
endif()
install(TARGETS ${QUIRVEX_PROGRAMAS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages and the changelog are kept as text in docs/ and installed compressed the way
# Debian's tools expect: gzip -9 without a name or a time stamp, so that two builds of the same
# text give the same bytes. The programs depend on them, so building the programs alone is
# enough for an install.
find_program(QUIRVEX_GZIP gzip REQUIRED)
set(QUIRVEX_DOCS ${PROJECT_SOURCE_DIR}/docs)
set(QUIRVEX_DOCS_GZ)
list(TRANSFORM QUIRVEX_PROGRAMAS APPEND .1 OUTPUT_VARIABLE QUIRVEX_TEXTOS)
foreach(nombre ${QUIRVEX_TEXTOS} changelog)
  set(copia ${PROJECT_BINARY_DIR}/docs/${nombre})
  add_custom_command(OUTPUT ${copia}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${QUIRVEX_DOCS}/${nombre} ${copia}
    COMMAND ${QUIRVEX_GZIP} -9nf ${copia}
    DEPENDS ${QUIRVEX_DOCS}/${nombre} VERBATIM)
  list(APPEND QUIRVEX_DOCS_GZ ${copia}.gz)
endforeach()
add_custom_target(quirvex_docs DEPENDS ${QUIRVEX_DOCS_GZ})
foreach(programa ${QUIRVEX_PROGRAMAS})
  add_dependencies(${programa} quirvex_docs)
  install(FILES ${PROJECT_BINARY_DIR}/docs/${programa}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${QUIRVEX_DOCS}/copyright ${PROJECT_BINARY_DIR}/docs/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(TARGET quirvex)
  set(QUIRVEX_ESCRITORIO ${PROJECT_SOURCE_DIR}/resources/desktop)
  install(FILES ${QUIRVEX_ESCRITORIO}/quirvex.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${QUIRVEX_ESCRITORIO}/io.github.quirvex.Quirvex.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  foreach(lado 16 22 24 32 48 64 128 256)
    install(FILES ${QUIRVEX_ESCRITORIO}/quirvex_${lado}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${lado}x${lado}/apps RENAME quirvex.png)
  endforeach()
  install(FILES ${QUIRVEX_ESCRITORIO}/quirvex.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME quirvex)
set(CPACK_PACKAGE_VENDOR "Quirvex")
set(CPACK_PACKAGE_CONTACT "Quirvex developers <quirvex@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tabbed file manager with side-by-side folder panes")
# Lines of the description stay within 80 columns, as dpkg shows them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Quirvex is a file manager for the Linux desktop. Each tab holds one to"
  "eight folder panes side by side; copy, move and delete run through a queue"
  "shown in its own tab. kartoserv is its index server for the quick search.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the programs load at run time rather than link: the icon theme the program draws its folder,
# drive and type icons from (without it a fresh system shows tabs and the address bar without
# icons), the MIME database behind the type names, and a font so that text is not drawn as empty
# boxes.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme, hicolor-icon-theme, shared-mime-info, fonts-dejavu-core | fonts-freefont-ttf")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_GENERATOR DEB)
include(CPack)
