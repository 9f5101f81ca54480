# The Windows program folder and its installer. `cmake --install` puts the programs, the Qt and
# compiler DLLs, the plugins, the Portuguese translation of Qt's buttons and the manual in one
# folder; target `zelta_instalador` turns that folder into ZELTA-Net-<version>-setup.exe (NSIS).
set(zelta_programas zeltanet zelta-declaracao zelta-transmitir)
install(TARGETS ${zelta_programas} RUNTIME DESTINATION .)

# Qt's DLLs and plugins, from the tree the build found Qt in.
get_target_property(zelta_qtcore Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT zelta_qtcore)
  get_target_property(zelta_qtcore Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(zelta_qt_bin ${zelta_qtcore} DIRECTORY)
get_filename_component(zelta_qt ${zelta_qt_bin} DIRECTORY)
foreach(m Core Gui Widgets PrintSupport)
  install(FILES ${zelta_qt_bin}/Qt6${m}.dll DESTINATION .)
endforeach()
install(FILES ${zelta_qt}/plugins/platforms/qwindows.dll ${zelta_qt}/plugins/platforms/qoffscreen.dll
        DESTINATION plugins/platforms)
install(FILES ${zelta_qt}/plugins/styles/qwindowsvistastyle.dll DESTINATION plugins/styles)
install(FILES ${zelta_qt}/plugins/imageformats/qico.dll DESTINATION plugins/imageformats)

# The compiler's runtime DLLs.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE caminho
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  install(FILES ${caminho} DESTINATION .)
endforeach()

# Qt finds its plugins and translations beside the programs.
file(WRITE ${CMAKE_BINARY_DIR}/generated/qt.conf "[Paths]\nPrefix=.\nPlugins=plugins\nTranslations=translations\n")
install(FILES ${CMAKE_BINARY_DIR}/generated/qt.conf DESTINATION .)
install(FILES /usr/share/qt6/translations/qtbase_pt_BR.qm DESTINATION translations)
install(FILES ${CMAKE_SOURCE_DIR}/gui/app/Ajuda.hlp ${CMAKE_SOURCE_DIR}/packaging/windows/zeltanet.ico DESTINATION .)

# The installer: makensis over the installed folder.
find_program(MAKENSIS makensis REQUIRED)
set(ZELTA_PASTA_PROGRAMA ${CMAKE_BINARY_DIR}/programa)
set(ZELTA_INSTALADOR ${CMAKE_BINARY_DIR}/ZELTA-Net-${PROJECT_VERSION}-setup.exe)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/zeltanet.nsi.in ${CMAKE_BINARY_DIR}/generated/zeltanet.nsi @ONLY)
add_custom_target(zelta_instalador
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZELTA_PASTA_PROGRAMA}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${ZELTA_PASTA_PROGRAMA} --strip
  COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 ${CMAKE_BINARY_DIR}/generated/zeltanet.nsi
  DEPENDS ${zelta_programas}
  BYPRODUCTS ${ZELTA_INSTALADOR}
  COMMENT "Installer ${ZELTA_INSTALADOR}"
  VERBATIM)
