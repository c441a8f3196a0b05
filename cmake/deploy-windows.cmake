# Puts beside a Windows program the Qt plugins it loads and every DLL that it and
# those plugins link, found in the given folders; what none of them holds is left
# to Windows (kernel32, user32, ...). Script mode:
#   cmake -DEXE=<program.exe> -DDEST=<folder> -DQT_PLUGIN_DIR=<qt>/plugins
#         -DPLUGINS=<category/name;...> -DSEARCH_DIRS=<folders> -DOBJDUMP=<objdump>
#         -P deploy-windows.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var EXE DEST QT_PLUGIN_DIR SEARCH_DIRS OBJDUMP)
  if(NOT ${var})
    message(FATAL_ERROR "deploy-windows.cmake needs -D${var}=...")
  endif()
endforeach()

set(deployed_plugins)
foreach(plugin IN LISTS PLUGINS)
  set(source ${QT_PLUGIN_DIR}/${plugin}.dll)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "Qt plugin ${source} not found")
  endif()
  get_filename_component(category ${plugin} DIRECTORY)
  file(COPY ${source} DESTINATION ${DEST}/${category})
  list(APPEND deployed_plugins ${DEST}/${plugin}.dll)
endforeach()

# Windows' own DLLs are never searched for: they are not ours to ship.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${OBJDUMP})
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${EXE}
  LIBRARIES ${deployed_plugins}
  DIRECTORIES ${SEARCH_DIRS}
  PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
  RESOLVED_DEPENDENCIES_VAR resolved
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
foreach(dll IN LISTS resolved)
  file(COPY ${dll} DESTINATION ${DEST})
endforeach()

# One line per file, for the package and for checking what a build ships.
set(manifest)
get_filename_component(exe_name ${EXE} NAME)
list(APPEND manifest ${exe_name})
foreach(dll IN LISTS resolved)
  get_filename_component(name ${dll} NAME)
  list(APPEND manifest ${name})
endforeach()
foreach(plugin IN LISTS PLUGINS)
  list(APPEND manifest ${plugin}.dll)
endforeach()
list(TRANSFORM manifest APPEND "\n")
list(JOIN manifest "" manifest)
file(WRITE ${DEST}/deployed.txt "${manifest}")
