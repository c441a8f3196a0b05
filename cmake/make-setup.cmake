# Makes the Windows installer with packaging/windows/tovrin.nsi around a folder
# of the program's files, as the deploy step listed them. Script mode:
#   cmake -DMAKENSIS=<makensis> -DPAYLOAD=<folder> -DMANIFEST=<file list>
#         -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> -DTITLE=<name> -DCOMPANY=<maker>
#         -DAPP_ID=<id> -DEXE=<program.exe> -DICON=<.ico> -P make-setup.cmake
# The files go to the script as two macros, one that installs them and one that
# removes exactly them (so the uninstaller never empties a folder the user chose),
# and their size.
cmake_minimum_required(VERSION 3.25)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis not found: scripts/deps.sh installs nsis")
endif()
foreach(var MAKENSIS PAYLOAD MANIFEST OUTFILE VERSION TITLE COMPANY APP_ID EXE ICON)
  if(NOT ${var})
    message(FATAL_ERROR "make-setup.cmake needs -D${var}=...")
  endif()
endforeach()

file(STRINGS ${MANIFEST} files)
if(NOT files)
  message(FATAL_ERROR "${MANIFEST} lists no files")
endif()
list(SORT files)
set(install "!macro TOVRIN_INSTALL_FILES\n")
set(remove "!macro TOVRIN_REMOVE_FILES\n")
set(folders)
set(current_folder "-")
set(bytes 0)
foreach(file IN LISTS files)
  if(NOT EXISTS ${PAYLOAD}/${file})
    message(FATAL_ERROR "${PAYLOAD}/${file} is listed but missing")
  endif()
  file(SIZE ${PAYLOAD}/${file} size)
  math(EXPR bytes "${bytes} + ${size}")
  get_filename_component(folder ${file} DIRECTORY)
  string(REPLACE "/" "\\" windows_file "${file}")
  string(REPLACE "/" "\\" windows_folder "${folder}")
  if(NOT folder STREQUAL current_folder)
    set(current_folder "${folder}")
    if(folder)
      string(APPEND install "  SetOutPath \"$INSTDIR\\${windows_folder}\"\n")
      list(APPEND folders ${windows_folder})
    else()
      string(APPEND install "  SetOutPath \"$INSTDIR\"\n")
    endif()
  endif()
  string(APPEND install "  File \"${PAYLOAD}/${file}\"\n")
  string(APPEND remove "  Delete \"$INSTDIR\\${windows_file}\"\n")
endforeach()
list(REMOVE_DUPLICATES folders)
# Deepest first, and only when empty.
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  string(APPEND remove "  RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
math(EXPR kilobytes "(${bytes} + 1023) / 1024")
set(files_nsh ${OUTFILE}.files.nsh)
file(WRITE ${files_nsh} "${install}!macroend\n${remove}!macroend\n!define SIZE_KB ${kilobytes}\n")

execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DTITLE=${TITLE} -DCOMPANY=${COMPANY}
                        -DAPP_ID=${APP_ID} -DEXE=${EXE} -DICON=${ICON} -DFILES_NSH=${files_nsh}
                        -DOUTFILE=${OUTFILE} ${CMAKE_CURRENT_LIST_DIR}/../packaging/windows/tovrin.nsi
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "makensis could not make ${OUTFILE}")
endif()
