# The Windows program, cross-built with cmake/mingw-w64-x86_64.cmake: its Qt
# DLLs, plugins and compiler runtime go beside the exe at every build, so the
# build folder runs as it is (under Wine too), and a zip holds the same files.

# The Qt plugins the program loads: the platform, the .ico reader (the main
# window's picture) and the native widget style.
set(TOVRIN_WINDOWS_PLUGINS platforms/qwindows imageformats/qico styles/qwindowsvistastyle)

get_target_property(_tovrin_qtcore_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT _tovrin_qtcore_dll)
  get_target_property(_tovrin_qtcore_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(TOVRIN_QT_BIN_DIR ${_tovrin_qtcore_dll} DIRECTORY)
get_filename_component(TOVRIN_QT_PLUGIN_DIR ${TOVRIN_QT_BIN_DIR}/../plugins ABSOLUTE)

# The compiler's runtime DLLs (libstdc++, libgcc_s, winpthread) sit next to its libraries.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _tovrin_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE _tovrin_winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
set(TOVRIN_WINDOWS_DLL_DIRS ${TOVRIN_QT_BIN_DIR})
foreach(dll IN ITEMS ${_tovrin_libstdcxx} ${_tovrin_winpthread})
  if(NOT IS_ABSOLUTE ${dll})
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  get_filename_component(dir ${dll} DIRECTORY)
  list(APPEND TOVRIN_WINDOWS_DLL_DIRS ${dir})
endforeach()
list(REMOVE_DUPLICATES TOVRIN_WINDOWS_DLL_DIRS)

if(NOT CMAKE_OBJDUMP)
  find_program(CMAKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
endif()

function(tovrin_windows_deploy_command out_var exe dest)
  set(${out_var} ${CMAKE_COMMAND}
      -DEXE=${exe} -DDEST=${dest}
      "-DPLUGINS=${TOVRIN_WINDOWS_PLUGINS}"
      -DQT_PLUGIN_DIR=${TOVRIN_QT_PLUGIN_DIR}
      "-DSEARCH_DIRS=${TOVRIN_WINDOWS_DLL_DIRS}"
      -DOBJDUMP=${CMAKE_OBJDUMP}
      -P ${PROJECT_SOURCE_DIR}/cmake/deploy-windows.cmake
      PARENT_SCOPE)
endfunction()

tovrin_windows_deploy_command(_tovrin_deploy $<TARGET_FILE:tovrin> $<TARGET_FILE_DIR:tovrin>)
add_custom_command(TARGET tovrin POST_BUILD COMMAND ${_tovrin_deploy} VERBATIM)
