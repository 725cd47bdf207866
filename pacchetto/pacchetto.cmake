# The Debian package: `cmake --workflow --preset pacchetto` writes
# build/terne_<version>_<architecture>.deb, with the four programs in /usr/bin, their manual pages,
# the copyright file and the changelog, and dependencies computed from the binaries.

# Who distributes the package: its Maintainer field and the signature of its changelog. A
# distributor sets it when configuring: -DTERNE_MANUTENTORE="Nome <indirizzo>".
set(TERNE_MANUTENTORE "Gli autori di terne <terne@example.org>"
    CACHE STRING "Maintainer of the Debian package, as: Name <address>")
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)

# Debian wants manual pages and changelogs compressed, reproducibly (-n: no name, no time).
set(TERNE_COMPRESSI ${CMAKE_BINARY_DIR}/compressi)
function(terne_comprimi sorgente destinazione)
  add_custom_command(
    OUTPUT ${TERNE_COMPRESSI}/${destinazione}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TERNE_COMPRESSI}
    COMMAND sh -c "gzip -9n -c '${sorgente}' > '${TERNE_COMPRESSI}/${destinazione}'"
    DEPENDS ${sorgente}
    VERBATIM)
  list(APPEND TERNE_FILE_COMPRESSI ${TERNE_COMPRESSI}/${destinazione})
  set(TERNE_FILE_COMPRESSI ${TERNE_FILE_COMPRESSI} PARENT_SCOPE)
endfunction()

foreach(pagina ${TERNE_PAGINE_MANUALE})
  get_filename_component(nome ${pagina} NAME)
  terne_comprimi(${pagina} ${nome}.gz)
  terne_installa(FILE ${TERNE_COMPRESSI}/${nome}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
terne_comprimi(${CMAKE_BINARY_DIR}/changelog changelog.gz)
add_custom_target(compressi ALL DEPENDS ${TERNE_FILE_COMPRESSI})
terne_installa(FILE ${TERNE_COMPRESSI}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
terne_installa(FILE ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# lintian reads the Italian "forse" (perhaps) as a misspelling of "force"; the file says why not.
terne_installa(FILE ${CMAKE_CURRENT_LIST_DIR}/lintian/terne DESTINATION
               ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME terne)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TERNE_MANUTENTORE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The completions in /usr/share/bash-completion/completions work only with it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS bash-completion)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "elenca le terne pitagoriche con un cateto in un intervallo dato
terne e' un programma interattivo in italiano che elenca le terne pitagoriche
(a^2 + b^2 = c^2) in cui un cateto cade nell'intervallo [M, N] chiesto
all'utente. Scompone a^2 in fattori primi, divide i fattori in due gruppi con
tabelle di combinazioni preparate e tiene le divisioni che danno terne esatte,
scrivendole in un file di risultati.
.
terne-prepara scrive i file di ingresso che terne legge; terne-cerca fa la
stessa ricerca senza domande e senza pause, per gli script, e con --tutte
elenca tutte le terne di qualunque cateto sotto 2^32; terne-grafico
disegna un file dei risultati come grafico SVG dei cateti delle sue terne.")
include(CPack)
