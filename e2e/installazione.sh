#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs there on a small
# range: the binaries, the manual pages and the completions land where users look for them, and
# they work; then, after the package is built from the same build folder, the target
# "uninstall" takes every installed file and the folders it made away again, and nothing else.
#   installazione.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/prefisso" >/dev/null
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
# terne-cerca's completion as bash calls it: -o after -C DIR offers the names in DIR, and an
# option's value completes after "=" too.
mkdir -p "$scratch/lavoro/dati" && touch "$scratch/lavoro/dati/risultati.txt"
completa() {
  (cd "$scratch/lavoro" && source "$scratch/prefisso/share/bash-completion/completions/terne-cerca"
   COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) && _terne_cerca && echo "${COMPREPLY[*]}")
}
for riga in "-C dati -o r|risultati.txt " "--cartella=dati --output=r|--output=risultati.txt " \
            "--cartella=d|--cartella=dati"; do
  read -ra parole <<<"${riga%|*}"
  offerto=$(completa terne-cerca "${parole[@]}")
  [ "$offerto" = "${riga#*|}" ] || { echo "completamento di '${riga%|*}': '$offerto'"; exit 1; }
done
touch "$scratch/prefisso/bin/altrui"  # not installed: it stays, and so does its folder
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pacchetto" >/dev/null
cmake --build "$build" --target uninstall >/dev/null
rimasti=$(cd "$scratch/prefisso" && find . -mindepth 1)
[ "$rimasti" = $'./bin\n./bin/altrui' ] || { echo "rimasti dopo uninstall:"; echo "$rimasti"; exit 1; }
echo "installazione in $scratch/prefisso e rimozione: ok"
