# Removes what the last `cmake --install` of this build to a prefix put there, as installati.txt
# lists it: every file, then every folder that the install created, once it is empty; a folder
# that was there before the install is never touched, and nothing is reached through a link that
# took the place of a folder the install made: the link itself goes. Each line says what was
# done, after it was done. What cannot be removed is named with the reason, stays in the list,
# and fails the target, so that the same command with the rights of the install finishes the
# job; the list goes once everything it named is gone (a folder that holds files of someone
# else's stays, and so does the list). Run from the build folder by the target
# "uninstall".
if(NOT EXISTS installati.txt)
  message(FATAL_ERROR "Manca installati.txt: questa build non e' stata installata in un prefisso.")
endif()
file(STRINGS installati.txt installati)
list(POP_FRONT installati prefisso)

# The reason in Italian from what rm says, as the programs tell it.
function(terne_motivo errore uscita)
  if(errore MATCHES "Permission denied")
    set(motivo "permesso negato: servono i permessi dell'installazione")
  elseif(errore MATCHES "Read-only file system")
    set(motivo "file system in sola lettura")
  elseif(errore MATCHES "Operation not permitted")
    set(motivo "operazione non permessa: servono i permessi dell'installazione")
  else()
    string(STRIP "${errore}" motivo)
  endif()
  set(${uscita} "${motivo}" PARENT_SCOPE)
endfunction()

# The link, if any, that stands in the path of `voce` below the prefix.
function(terne_collegamento voce uscita)
  set(${uscita} "" PARENT_SCOPE)
  cmake_path(GET voce PARENT_PATH cartella)
  string(FIND "${cartella}" "${prefisso}/" dove)
  while(dove EQUAL 0)
    if(IS_SYMLINK "${cartella}")
      set(${uscita} "${cartella}" PARENT_SCOPE)
      return()
    endif()
    cmake_path(GET cartella PARENT_PATH cartella)
    string(FIND "${cartella}" "${prefisso}/" dove)
  endwhile()
endfunction()

# Removes one name (a file, or a link in a folder's place). True in `tolto` when it is gone.
function(terne_rimuovi voce tolto)
  execute_process(COMMAND rm -f -- "${voce}" ERROR_VARIABLE errore RESULT_VARIABLE esito)
  if(EXISTS "${voce}" OR IS_SYMLINK "${voce}")
    terne_motivo("${errore}" motivo)
    message(STATUS "Non rimosso ${voce}: ${motivo}")
    set(${tolto} FALSE PARENT_SCOPE)
  else()
    set(${tolto} TRUE PARENT_SCOPE)
  endif()
endfunction()

set(rimasti "")
foreach(voce IN LISTS installati)
  if(voce MATCHES "^(.+)/$")
    set(cartella "${CMAKE_MATCH_1}")
    if(IS_SYMLINK "${cartella}")
      terne_rimuovi("${cartella}" tolto)
      if(tolto)
        message(STATUS "Rimosso il collegamento ${cartella}, al posto di una cartella creata "
                       "dall'installazione")
      else()
        list(APPEND rimasti "${voce}")
      endif()
    elseif(IS_DIRECTORY "${cartella}")
      file(GLOB contenuto LIST_DIRECTORIES true "${cartella}/*" "${cartella}/.*")
      if(contenuto)
        list(APPEND rimasti "${voce}")  # something of someone else's inside: it stays
      else()
        execute_process(COMMAND rmdir -- "${cartella}" ERROR_VARIABLE errore
                        RESULT_VARIABLE esito)
        if(IS_DIRECTORY "${cartella}")
          terne_motivo("${errore}" motivo)
          message(STATUS "Non rimossa la cartella ${cartella}: ${motivo}")
          list(APPEND rimasti "${voce}")
        else()
          message(STATUS "Rimossa la cartella ${cartella}")
        endif()
      endif()
    endif()
    continue()
  endif()
  terne_collegamento("${voce}" collegamento)
  if(collegamento)
    message(STATUS "Lasciato ${voce}: ${collegamento} ora e' un collegamento, che non si segue")
  elseif(EXISTS "${voce}" OR IS_SYMLINK "${voce}")
    terne_rimuovi("${voce}" tolto)
    if(tolto)
      message(STATUS "Rimosso ${voce}")
    else()
      list(APPEND rimasti "${voce}")
    endif()
  endif()
endforeach()

# The list stays while it names anything still there (entries already gone are passed over by
# the next run): it is rewritten by no one who may lack the rights to write it.
set(non_rimossi "")
foreach(voce IN LISTS rimasti)
  if(NOT voce MATCHES "/$")
    list(APPEND non_rimossi "${voce}")
  endif()
endforeach()
if(non_rimossi)
  list(LENGTH non_rimossi quanti)
  message(FATAL_ERROR "${quanti} file non rimossi, ancora elencati in installati.txt: ripetere "
                      "con i permessi dell'installazione (per esempio con sudo).")
endif()
if(NOT rimasti)
  file(REMOVE installati.txt)
endif()
