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
cmake --build "$build" --target uninstall >/dev/null
rimasti=$(cd "$scratch/prefisso" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
[ "$rimasti" = "./bin ./bin/altrui ./share ./share/man ./share/man/man1 " ] ||
  { echo "rimasti dopo uninstall: $rimasti"; exit 1; }
echo "installazione in $scratch/prefisso e rimozione: ok"
