# Run by `cmake --install` (and by the targets install of make and ninja) twice. First, before
# anything is installed (TERNE_FASE "inizio"), it notes which of the folders that the install
# fills, and of their parents, do not exist yet. Last, it writes TERNE_ELENCO, the list that the
# target "uninstall" reads: the prefix, every file installed, then every folder the install
# created, deepest first and ending with "/". A folder that was there before is never listed.
# A staged install (DESTDIR set, as for the Debian package) and the installs that CPack runs
# inside itself for any other package (not in script mode) are no install to a prefix, and leave
# the list of the last one as it was.
if(NOT "$ENV{DESTDIR}" STREQUAL "" OR NOT DEFINED CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
# A relative prefix is relative to where the install runs, which is this script's current folder.
cmake_path(ABSOLUTE_PATH CMAKE_INSTALL_PREFIX BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE
           OUTPUT_VARIABLE terne_prefisso)
string(REGEX REPLACE "(.)/+$" "\\1" terne_prefisso "${terne_prefisso}")

if(TERNE_FASE STREQUAL "inizio")
  set(TERNE_CARTELLE_NUOVE "")
  foreach(destinazione IN LISTS TERNE_DESTINAZIONI)
    cmake_path(ABSOLUTE_PATH destinazione BASE_DIRECTORY "${terne_prefisso}" NORMALIZE
               OUTPUT_VARIABLE cartella)
    string(REGEX REPLACE "(.)/+$" "\\1" cartella "${cartella}")
    while(NOT EXISTS "${cartella}" AND NOT IS_SYMLINK "${cartella}")
      list(APPEND TERNE_CARTELLE_NUOVE "${cartella}")
      cmake_path(GET cartella PARENT_PATH cartella)
    endwhile()
  endforeach()
  return()
endif()

set(cartelle "")
foreach(cartella IN LISTS TERNE_CARTELLE_NUOVE)
  if(IS_DIRECTORY "${cartella}" AND NOT IS_SYMLINK "${cartella}")
    list(APPEND cartelle "${cartella}/")
  endif()
endforeach()
# The folders that an earlier install to the same prefix created are still this install's own.
if(EXISTS "${TERNE_ELENCO}")
  file(STRINGS "${TERNE_ELENCO}" prima)
  list(POP_FRONT prima prefisso_prima)
  if(prefisso_prima STREQUAL terne_prefisso)
    foreach(voce IN LISTS prima)
      if(voce MATCHES "/$" AND IS_DIRECTORY "${voce}" AND NOT IS_SYMLINK "${voce}")
        list(APPEND cartelle "${voce}")
      endif()
    endforeach()
  endif()
endif()
list(REMOVE_DUPLICATES cartelle)
list(SORT cartelle ORDER DESCENDING)  # a folder's own folders sort after it, so go first
set(file_installati ${CMAKE_INSTALL_MANIFEST_FILES})
list(APPEND file_installati ${cartelle})
list(JOIN file_installati "\n" righe)
file(WRITE "${TERNE_ELENCO}" "${terne_prefisso}\n${righe}\n")
