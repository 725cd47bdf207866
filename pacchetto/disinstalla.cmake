# Removes the files that the last `cmake --install` of this build put in place, as it listed
# them in install_manifest.txt; run from the build folder by the target "uninstall".
if(NOT EXISTS install_manifest.txt)
  message(FATAL_ERROR "Manca install_manifest.txt: questa build non e' stata installata.")
endif()
file(STRINGS install_manifest.txt installati)
foreach(file IN LISTS installati)
  if(EXISTS "${file}" OR IS_SYMLINK "${file}")
    file(REMOVE "${file}")
    message(STATUS "Rimosso ${file}")
  endif()
endforeach()
