# Install layout and the Debian package (cpack -G DEB). Included last by the top CMakeLists.txt,
# when every executable target exists.
include(GNUInstallDirs)

set(ZELTA_PACOTE ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS zeltanet zelta-servidor zelta-declaracao zelta-transmitir
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The help menu looks beside the program first, then in ../share/zeltanet.
install(FILES ${CMAKE_SOURCE_DIR}/app/shell/Ajuda.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/zeltanet)
install(FILES ${ZELTA_PACOTE}/zeltanet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZELTA_PACOTE}/icons/zeltanet.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(tamanho 16 32 48 64 128 256)
  install(FILES ${ZELTA_PACOTE}/icons/zeltanet-${tamanho}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${tamanho}x${tamanho}/apps
          RENAME zeltanet.png)
endforeach()
# Shipped, never enabled: the local reception server is for trying the program out.
install(FILES ${ZELTA_PACOTE}/zelta-servidor.service DESTINATION lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zeltanet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "PROJETO ZELTA")
set(CPACK_PACKAGE_CONTACT "PROJETO ZELTA <suporte@zelta.example>")
# Lines of the long description; CPack indents them for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[ZELTA Net - delivers the monthly ZELTA declaration over the Internet
Sends a validated monthly employment-movement declaration file to the
reception server, prints the numbered delivery receipt and reprints past
receipts. Includes the declaration tool zelta-declaracao and a local
reception server (systemd unit zelta-servidor, shipped disabled).]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Libraries (Qt, libzip, SQLite, and libqt6gui6's xcb platform plugin) come from dpkg-shlibdeps;
# the standard buttons' Portuguese texts and the receipt's font are read at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${ZELTA_PACOTE}/debian/prerm ${ZELTA_PACOTE}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
