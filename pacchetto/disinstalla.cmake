# Removes what the last `cmake --install` of this build to a prefix put there, as installati.txt
# lists it: every file, then every folder that the install created, once it is empty; a folder
# that was there before the install is never touched. Run from the build folder by the target
# "uninstall"; the list goes with what it listed.
if(NOT EXISTS installati.txt)
  message(FATAL_ERROR "Manca installati.txt: questa build non e' stata installata in un prefisso.")
endif()
file(STRINGS installati.txt installati)
list(POP_FRONT installati prefisso)
foreach(voce IN LISTS installati)
  if(voce MATCHES "^(.+)/$")
    set(cartella "${CMAKE_MATCH_1}")
    if(IS_DIRECTORY "${cartella}" AND NOT IS_SYMLINK "${cartella}")
      execute_process(COMMAND rmdir "${cartella}" RESULT_VARIABLE esito ERROR_QUIET)
      if(esito EQUAL 0)
        message(STATUS "Rimossa la cartella ${cartella}")
      endif()
    endif()
  elseif(EXISTS "${voce}" OR IS_SYMLINK "${voce}")
    file(REMOVE "${voce}")
    message(STATUS "Rimosso ${voce}")
  endif()
endforeach()
file(REMOVE installati.txt)
