# Run at the end of `cmake --install`: writes TERNE_ELENCO, the list that the target "uninstall"
# reads: the prefix, then every file installed. A staged install (DESTDIR set, as CPack's when it
# builds the package) is no install to a prefix, and leaves the list of the last one as it was.
if("$ENV{DESTDIR}" STREQUAL "")
  list(JOIN CMAKE_INSTALL_MANIFEST_FILES "\n" installati)
  file(WRITE "${TERNE_ELENCO}" "${CMAKE_INSTALL_PREFIX}\n${installati}\n")
endif()
