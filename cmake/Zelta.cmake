# Shared CMake helpers of the project.

# zelta_library(NAME SOURCES... LIBS...): a static library whose headers are included by their
# path from the source root.
function(zelta_library name)
  cmake_parse_arguments(Z "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${Z_SOURCES})
  target_link_libraries(${name} PUBLIC ${Z_LIBS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

# The .cpp and .h files of the current folder (not its subfolders).
macro(zelta_sources var)
  file(GLOB ${var} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
endmacro()

# zelta_test(NAME SOURCES... LIBS...): a QtTest executable run headless by ctest.
function(zelta_test name)
  cmake_parse_arguments(Z "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${Z_SOURCES})
  target_link_libraries(${name} PRIVATE zelta_test_common Qt6::Test ${Z_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    # Settings the windows keep per user go to the build folder, never to the user's own.
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZELTA_BUILD_DIR=${CMAKE_BINARY_DIR};ZELTA_SOURCE_DIR=${CMAKE_SOURCE_DIR};XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/configuracao-testes/${name};XDG_DATA_HOME=${CMAKE_BINARY_DIR}/dados-testes/${name}"
    TIMEOUT 600)
  if(Z_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${Z_LABELS}")
  endif()
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt.
function(zelta_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
