#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs there on a small
# range: the binaries and the manual pages land where users look for them, and they work.
#   installazione.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/prefisso" >/dev/null
for f in bin/terne bin/terne-prepara share/man/man1/terne.1 share/man/man1/terne-prepara.1; do
  [ -e "$scratch/prefisso/$f" ] || { echo "manca $f dopo l'installazione"; exit 1; }
done
"$scratch/prefisso/bin/terne-prepara" "$scratch/lavoro" >/dev/null
cd "$scratch/lavoro"
printf '4\n4\nx\n' | "$scratch/prefisso/bin/terne" >console.txt
grep -qx "La terna di numeri interi: 3 , 4 , 5 e' Pitagorica." console.txt || {
  echo "la terna 3, 4, 5 non compare:"; cat console.txt; exit 1; }
[ "$(cat triadiRettangole4-4.txt)" = "3,4,5" ] || { echo "file dei risultati sbagliato"; exit 1; }
echo "installazione in $scratch/prefisso: ok"
