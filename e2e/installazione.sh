#!/usr/bin/env bash
# Installs the build into a scratch prefix, given relative, whose bin/ and share/man/man1/ exist
# before, and runs the installed programs there on a small range: the binaries, the manual pages
# and the completions land where users look for them, and they work; then, after packages are
# built from the same build folder, the target "uninstall" takes every installed file and the
# folders the install made away again, and nothing else.
#   installazione.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch" "$build/installati.txt"
mkdir -p "$scratch/prefisso/bin" "$scratch/prefisso/share/man/man1"
(cd "$scratch" && cmake --install "$build" --prefix prefisso >/dev/null)
for f in bin/terne bin/terne-prepara bin/terne-grafico bin/terne-cerca share/man/man1/terne.1.gz \
         share/man/man1/terne-prepara.1.gz share/man/man1/terne-grafico.1.gz \
         share/man/man1/terne-cerca.1.gz share/bash-completion/completions/terne \
         share/bash-completion/completions/terne-prepara \
         share/bash-completion/completions/terne-cerca \
         share/bash-completion/completions/terne-grafico; do
  [ -e "$scratch/prefisso/$f" ] || { echo "manca $f dopo l'installazione"; exit 1; }
done
"$(dirname "$0")/programmi_installati.sh" "$scratch/prefisso/bin" "$scratch"
for f in "$scratch"/prefisso/share/bash-completion/completions/*; do
  bash -n "$f" || { echo "$f non e' uno script valido"; exit 1; }
done
# The completions as bash calls them, its words split at "=" as bash splits them: terne-cerca's
# -o after -C DIR offers the names in DIR; terne-grafico offers pictures after -o, and results
# files before other .txt files, never the input tables, which terne-cerca's -o never offers
# either; a leading ~/ is kept, and a folder there is a folder.
mkdir -p "$scratch/lavoro/dati" && touch "$scratch/lavoro/dati/risultati.txt"
(cd "$scratch/lavoro" && touch note.txt g.svg && rm Combinations0[5-9].txt Combinations1*.txt)
completa() {
  local programma=$1 && shift
  (cd "$scratch/lavoro" && export HOME="$scratch/lavoro" &&
   source "$scratch/prefisso/share/bash-completion/completions/$programma"
   COMP_WORDS=("$programma" "$@") COMP_CWORD=$# && { "_${programma//-/_}" || true; } && echo "${COMPREPLY[*]}")
}
while IFS='|' read -r programma parole atteso; do
  read -ra parole <<<"$parole"
  [[ ${parole[-1]} == '""' ]] && parole[-1]=
  offerto=$(completa "$programma" "${parole[@]}")
  [ "$offerto" = "$atteso" ] || { echo "$programma ${parole[*]}: offerto '$offerto'"; exit 1; }
done <<'RIGHE'
terne-cerca|-C dati -o r|risultati.txt 
terne-cerca|--cartella=dati --output=r|--output=risultati.txt 
terne-cerca|--cartella = dati --output = r|risultati.txt 
terne-cerca|--cartella=d|--cartella=dati
terne-cerca|-o ""|console.txt  dati/ g.svg  note.txt  triadiRettangole4-4.svg  triadiRettangole4-4.txt 
terne-cerca|-o ~/d|~/dati/
terne-grafico|""|triadiRettangole4-4.txt console.txt note.txt dati
terne-grafico|-o ""|g.svg triadiRettangole4-4.svg dati
terne-grafico|--output = ""|g.svg triadiRettangole4-4.svg dati
RIGHE
touch "$scratch/prefisso/bin/altrui"  # not installed: it stays
for generatore in DEB TGZ; do
  cpack -G "$generatore" --config "$build/CPackConfig.cmake" -B "$scratch/pacchetto" >/dev/null
done
DESTDIR="$scratch/stadio" cmake --install "$build" >/dev/null  # a staged install: not listed
[ "$(head -n 1 "$build/installati.txt")" = "$scratch/prefisso" ] ||
  { echo "un'installazione con DESTDIR ha cambiato l'elenco"; exit 1; }
disinstalla() { (cd "$build" && "$@" cmake -P "$(dirname "$0")/../pacchetto/disinstalla.cmake"); }
if [ "$(id -u)" -eq 0 ]; then  # without the rights of the install: nothing removed, all told
  chmod 755 "$scratch"
  if disinstalla runuser -u nobody -- >"$scratch/senza.txt" 2>&1; then
    echo "disinstallare senza permessi e' riuscito"; exit 1
  fi
  grep -q "15 file non rimossi" "$scratch/senza.txt" && ! grep -q "Rimoss" "$scratch/senza.txt" ||
    { cat "$scratch/senza.txt"; exit 1; }
  [ -e "$scratch/prefisso/bin/terne" ] || { echo "rimosso senza permessi"; exit 1; }
fi
cmake --build "$build" --target uninstall >/dev/null
rimasti=$(cd "$scratch/prefisso" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$rimasti" = "./bin ./bin/altrui ./share ./share/man ./share/man/man1 " ] ||
  { echo "rimasti dopo uninstall: $rimasti"; exit 1; }
[ ! -e "$build/installati.txt" ] || { echo "l'elenco e' rimasto"; exit 1; }
echo "installazione in $scratch/prefisso e rimozione: ok"

# Prefixes of other shapes. One that the list cannot hold is refused before anything is written;
# one spelled through a link is the folder the kernel uses; a link that took the place of a
# folder the install made goes, never followed; an install that stops half-way (a file where a
# folder goes) leaves the list of what it wrote. Each ends with nothing of the install left.
cd "$scratch"
mkdir -p a/b fuori && ln -s a/b lnk && touch semi fuori/copyright
if cmake --install "$build" --prefix "$scratch/semi;x" >/dev/null 2>&1; then
  echo "prefisso con ; accettato"; exit 1
fi
cmake --install "$build" --prefix lnk/../p >/dev/null
rm -r a/p/share/doc/terne && ln -s ../../../../fuori a/p/share/doc/terne
disinstalla >/dev/null
mkdir -p q/share && touch q/share/man
if cmake --install "$build" --prefix q >/dev/null 2>&1; then echo "q/share/man accettato"; exit 1; fi
grep -q "^$scratch/q/share/bash-completion/completions/terne-cerca$" "$build/installati.txt" ||
  { echo "l'elenco di un'installazione a meta':"; cat "$build/installati.txt"; exit 1; }
disinstalla >/dev/null
rimasti=$(find a fuori q semi* lnk | LC_ALL=C sort | tr '\n' ' ')
[ "$rimasti" = "a a/b fuori fuori/copyright lnk q q/share q/share/man semi " ] ||
  { echo "rimasti: $rimasti"; exit 1; }
echo "prefissi con ;, attraverso un collegamento, installazione a meta': ok"
