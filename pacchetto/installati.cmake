# Run by `cmake --install` (and by the targets install of make and ninja): first, before anything
# is installed (TERNE_FASE "inizio"), it refuses a prefix that the list could not hold and notes
# which of the folders that the install fills, and of their parents, do not exist yet; then,
# after every install rule (TERNE_FASE "passo"), it writes TERNE_ELENCO, the list that the target
# "uninstall" reads: the prefix, every file installed so far, then every folder the install
# created, deepest first and ending with "/". An install that stops half-way so leaves the list
# of what it wrote. Paths are the ones the kernel uses: the prefix with its links followed. A
# folder that was there before is never listed.
# A staged install (DESTDIR set, as for the Debian package) and the installs that CPack runs
# inside itself for any other package (not in script mode) are no install to a prefix, and leave
# the list of the last one as it was.
if(NOT "$ENV{DESTDIR}" STREQUAL "" OR NOT DEFINED CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

# The path as the kernel resolves it, links followed and ".." taken after them (CMake's own
# REAL_PATH takes ".." first, by the text), relative to where the install runs, which is this
# script's current folder; a part that does not exist yet as written.
function(terne_risolto percorso uscita)
  cmake_path(ABSOLUTE_PATH percorso BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}")
  execute_process(COMMAND realpath -m -- "${percorso}" OUTPUT_VARIABLE risolto
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${uscita} "${risolto}" PARENT_SCOPE)
endfunction()

if(TERNE_FASE STREQUAL "inizio")
  # One path a line, read back as a CMake list: these would change it.
  if(CMAKE_INSTALL_PREFIX MATCHES "[];[\\\n]")
    message(FATAL_ERROR "Prefisso non ammesso: '${CMAKE_INSTALL_PREFIX}' contiene uno dei "
                        "caratteri ; [ ] \\ o un a capo, che l'elenco per la disinstallazione non "
                        "puo' tenere. Nulla e' stato installato.")
  endif()
  terne_risolto("${CMAKE_INSTALL_PREFIX}" TERNE_PREFISSO)
  set(TERNE_CARTELLE_NUOVE "")
  foreach(destinazione IN LISTS TERNE_DESTINAZIONI)
    cmake_path(ABSOLUTE_PATH destinazione BASE_DIRECTORY "${TERNE_PREFISSO}" NORMALIZE
               OUTPUT_VARIABLE cartella)
    string(REGEX REPLACE "(.)/+$" "\\1" cartella "${cartella}")
    while(NOT EXISTS "${cartella}" AND NOT IS_SYMLINK "${cartella}")
      list(APPEND TERNE_CARTELLE_NUOVE "${cartella}")
      cmake_path(GET cartella PARENT_PATH cartella)
    endwhile()
  endforeach()
  return()
endif()

# The files as installed, under the prefix as the kernel resolved it.
set(file_installati "")
string(REGEX REPLACE "(.)/+$" "\\1" prefisso_scritto "${CMAKE_INSTALL_PREFIX}")
cmake_path(ABSOLUTE_PATH prefisso_scritto BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}")
string(LENGTH "${prefisso_scritto}/" lunghezza)
foreach(installato IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
  string(FIND "${installato}" "${prefisso_scritto}/" dove)
  if(dove EQUAL 0)
    string(SUBSTRING "${installato}" ${lunghezza} -1 relativo)
    set(installato "${TERNE_PREFISSO}/${relativo}")
  endif()
  list(APPEND file_installati "${installato}")
endforeach()
set(cartelle "")
foreach(cartella IN LISTS TERNE_CARTELLE_NUOVE)
  if(IS_DIRECTORY "${cartella}" AND NOT IS_SYMLINK "${cartella}")
    list(APPEND cartelle "${cartella}/")
  endif()
endforeach()
# The folders that an earlier install to the same prefix created are still this install's own.
# Read at the first step, before this install's list takes the earlier one's place.
if(NOT TERNE_ELENCO_LETTO)
  set(TERNE_ELENCO_LETTO TRUE)
  set(TERNE_CARTELLE_PRIMA "")
  if(EXISTS "${TERNE_ELENCO}")
    file(STRINGS "${TERNE_ELENCO}" prima)
    list(POP_FRONT prima prefisso_prima)
    if(prefisso_prima STREQUAL TERNE_PREFISSO)
      foreach(voce IN LISTS prima)
        if(voce MATCHES "/$" AND IS_DIRECTORY "${voce}" AND NOT IS_SYMLINK "${voce}")
          list(APPEND TERNE_CARTELLE_PRIMA "${voce}")
        endif()
      endforeach()
    endif()
  endif()
endif()
list(APPEND cartelle ${TERNE_CARTELLE_PRIMA})
list(REMOVE_DUPLICATES cartelle)
list(SORT cartelle ORDER DESCENDING)  # a folder's own folders sort after it, so go first
list(APPEND file_installati ${cartelle})
list(JOIN file_installati "\n" righe)
file(WRITE "${TERNE_ELENCO}" "${TERNE_PREFISSO}\n${righe}\n")
