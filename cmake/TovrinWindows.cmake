# The Windows program, cross-built with cmake/mingw-w64-x86_64.cmake: its Qt
# DLLs, plugins and compiler runtime go beside the exe in every build, so the
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
  get_filename_component(dir ${dir} REALPATH)
  list(APPEND TOVRIN_WINDOWS_DLL_DIRS ${dir})
endforeach()
list(REMOVE_DUPLICATES TOVRIN_WINDOWS_DLL_DIRS)

if(NOT CMAKE_OBJDUMP)
  find_program(CMAKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
endif()

function(tovrin_windows_deploy_command out_var exe dest manifest)
  # Further arguments go to the script as they are.
  # Lists travel as a|b|c: a command line made from a list would split them.
  string(REPLACE ";" "|" plugins "${TOVRIN_WINDOWS_PLUGINS}")
  string(REPLACE ";" "|" dirs "${TOVRIN_WINDOWS_DLL_DIRS}")
  set(${out_var} ${CMAKE_COMMAND}
      -DEXE=${exe} -DDEST=${dest} -DMANIFEST=${manifest}
      -DPLUGINS=${plugins} -DQT_PLUGIN_DIR=${TOVRIN_QT_PLUGIN_DIR} -DSEARCH_DIRS=${dirs}
      -DOBJDUMP=${CMAKE_OBJDUMP} ${ARGN}
      -P ${PROJECT_SOURCE_DIR}/cmake/deploy-windows.cmake
      PARENT_SCOPE)
endfunction()

tovrin_windows_deploy_command(_tovrin_deploy $<TARGET_FILE:tovrin> $<TARGET_FILE_DIR:tovrin>
                              ${CMAKE_CURRENT_BINARY_DIR}/tovrin-files.txt)
# A target of its own (a post-build step must sit beside the exe's definition in
# src/); part of every build, and it copies only what changed.
add_custom_target(tovrin_deploy ALL COMMAND ${_tovrin_deploy} DEPENDS tovrin VERBATIM)

# `cmake --build <dir> --target tovrin_zip`: the program's folder for a user to
# unpack and run, with nothing in it but what the exe loads.
set(_tovrin_zip_name ${TOVRIN_TITLE}-${PROJECT_VERSION}-win64)
set(_tovrin_zip_stage ${CMAKE_CURRENT_BINARY_DIR}/zip/${_tovrin_zip_name})
tovrin_windows_deploy_command(_tovrin_zip_deploy ${_tovrin_zip_stage}/$<TARGET_FILE_NAME:tovrin>
                              ${_tovrin_zip_stage} ${CMAKE_CURRENT_BINARY_DIR}/zip/${_tovrin_zip_name}.txt
                              -DSTRIP=${CMAKE_OBJCOPY})
add_custom_target(tovrin_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_tovrin_zip_stage} ${CMAKE_CURRENT_BINARY_DIR}/${_tovrin_zip_name}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_tovrin_zip_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tovrin> ${_tovrin_zip_stage}
  COMMAND ${CMAKE_OBJCOPY} --strip-debug ${_tovrin_zip_stage}/$<TARGET_FILE_NAME:tovrin>
  COMMAND ${_tovrin_zip_deploy}
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_CURRENT_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_CURRENT_BINARY_DIR}/${_tovrin_zip_name}.zip --format=zip
          ${_tovrin_zip_name}
  DEPENDS tovrin
  BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/${_tovrin_zip_name}.zip
  COMMENT "Packing ${_tovrin_zip_name}.zip"
  VERBATIM)

# `cmake --build <dir> --target tovrin_setup`: the installer beside the zip, made
# from the same files by NSIS (Debian's nsis), for the current user.
find_program(TOVRIN_MAKENSIS makensis)
set(_tovrin_setup_name ${TOVRIN_TITLE}-${PROJECT_VERSION}-setup.exe)
add_custom_target(tovrin_setup
  COMMAND ${CMAKE_COMMAND} -DMAKENSIS=${TOVRIN_MAKENSIS} -DPAYLOAD=${_tovrin_zip_stage}
          -DMANIFEST=${CMAKE_CURRENT_BINARY_DIR}/zip/${_tovrin_zip_name}.txt
          -DOUTFILE=${CMAKE_CURRENT_BINARY_DIR}/${_tovrin_setup_name} -DVERSION=${PROJECT_VERSION}
          -DTITLE=${TOVRIN_TITLE} -DCOMPANY=${TOVRIN_COMPANY} -DAPP_ID=com.ardelon.${TOVRIN_TITLE}
          -DEXE=$<TARGET_FILE_NAME:tovrin> -DICON=${PROJECT_SOURCE_DIR}/resources/icons/tovrin.ico
          -P ${PROJECT_SOURCE_DIR}/cmake/make-setup.cmake
  BYPRODUCTS ${CMAKE_CURRENT_BINARY_DIR}/${_tovrin_setup_name}
  COMMENT "Making ${_tovrin_setup_name}"
  VERBATIM)
add_dependencies(tovrin_setup tovrin_zip)

# Where the exe is, for the Wine journeys (tests/windows) that build it.
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/tovrin-exe.txt CONTENT "$<TARGET_FILE:tovrin>\n")
