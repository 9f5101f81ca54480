# Install layout and the Debian package (cpack -G DEB). Included last by the top CMakeLists.txt,
# when every executable target exists.
include(GNUInstallDirs)

set(ZELTA_PACOTE ${CMAKE_SOURCE_DIR}/packaging)

# The programs of the package.
set(zelta_programas zeltanet zelta-servidor zelta-declaracao zelta-transmitir)

# Hardening as Debian builds its packages: fortified libc calls (optimised builds only, where they
# work) and a read-only relocation table resolved at start. Sanitizer and fuzz builds keep theirs.
function(zelta_endurecer pasta)
  get_property(alvos DIRECTORY ${pasta} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(alvo ${alvos})
    get_target_property(tipo ${alvo} TYPE)
    if(tipo STREQUAL "STATIC_LIBRARY" OR tipo STREQUAL "EXECUTABLE" OR tipo STREQUAL "OBJECT_LIBRARY")
      target_compile_options(${alvo} PRIVATE
        "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    endif()
    if(tipo STREQUAL "EXECUTABLE")
      target_link_options(${alvo} PRIVATE -Wl,-z,relro,-z,now)
    endif()
  endforeach()
  get_property(pastas DIRECTORY ${pasta} PROPERTY SUBDIRECTORIES)
  foreach(p ${pastas})
    zelta_endurecer(${p})
  endforeach()
endfunction()
if(NOT ZELTA_SANITIZE AND NOT ZELTA_FUZZ)
  zelta_endurecer(${CMAKE_SOURCE_DIR})
endif()

install(TARGETS ${zelta_programas} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripping keeps the compiler's .comment section, which a package has no use for.
foreach(programa ${zelta_programas})
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${programa}\"
                  COMMAND_ERROR_IS_FATAL ANY)")
endforeach()

# Manual pages, compressed as Debian wants them (best compression, no time stamp).
set(zelta_manuais)
foreach(programa ${zelta_programas})
  set(pagina ${CMAKE_BINARY_DIR}/man/${programa}.1.gz)
  add_custom_command(OUTPUT ${pagina}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${ZELTA_PACOTE}/man/${programa}.1 > ${pagina}
    DEPENDS ${ZELTA_PACOTE}/man/${programa}.1 VERBATIM)
  list(APPEND zelta_manuais ${pagina})
endforeach()
set(zelta_changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${zelta_changelog}
  COMMAND gzip -9n -c ${ZELTA_PACOTE}/debian/changelog > ${zelta_changelog}
  DEPENDS ${ZELTA_PACOTE}/debian/changelog VERBATIM)
add_custom_target(zelta_documentos ALL DEPENDS ${zelta_manuais} ${zelta_changelog})
# Everything the package holds, for builds of only what the package needs.
add_custom_target(zelta_pacote DEPENDS ${zelta_programas} zelta_documentos)
install(FILES ${zelta_manuais} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${ZELTA_PACOTE}/debian/copyright ${zelta_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zeltanet)
# The help menu looks beside the program first, then in ../share/zeltanet.
install(FILES ${CMAKE_SOURCE_DIR}/gui/app/Ajuda.hlp DESTINATION ${CMAKE_INSTALL_DATADIR}/zeltanet)
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
# Printing the receipt needs a print system; the PDF queue serves where no printer is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, printer-driver-cups-pdf")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${ZELTA_PACOTE}/debian/postinst ${ZELTA_PACOTE}/debian/prerm ${ZELTA_PACOTE}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
