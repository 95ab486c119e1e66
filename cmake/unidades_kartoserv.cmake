# How the desktop starts the index server: systemd user units (the socket at login, the server on
# its first connection) and, where there is no systemd session, an XDG autostart entry. The
# service names the program where it is installed, so the unit is written at install time, when
# the prefix is known (a staging prefix, a package's /usr); the tests check it against the build.

set(QUIRVEX_UNIDADES ${PROJECT_SOURCE_DIR}/resources/systemd)

install(FILES ${QUIRVEX_UNIDADES}/kartoserv.socket DESTINATION lib/systemd/user)
install(CODE "
  set(destino \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/user\")
  file(READ \"${QUIRVEX_UNIDADES}/kartoserv.service\" unidad)
  string(REPLACE \"@QUIRVEX_KARTOSERV@\" \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kartoserv\" unidad \"\${unidad}\")
  file(MAKE_DIRECTORY \"\${destino}\")
  file(WRITE \"\${destino}/kartoserv.service\" \"\${unidad}\")
  message(STATUS \"Installing: \${destino}/kartoserv.service\")
")
# Beside the program's data, not in /etc: an install into a staging prefix must never write to
# the machine's own configuration. A desktop without systemd takes it from there (README).
install(FILES ${QUIRVEX_UNIDADES}/kartoserv-autostart.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/quirvex RENAME kartoserv.desktop)
