#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs there on a small
# range: the binaries and the manual pages land where users look for them, and they work.
#   installazione.sh BUILD_DIR SCRATCH_DIR
set -euo pipefail
build=$1 scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/prefisso" >/dev/null
for f in bin/terne bin/terne-prepara bin/terne-grafico bin/terne-cerca share/man/man1/terne.1.gz \
         share/man/man1/terne-prepara.1.gz share/man/man1/terne-grafico.1.gz \
         share/man/man1/terne-cerca.1.gz; do
  [ -e "$scratch/prefisso/$f" ] || { echo "manca $f dopo l'installazione"; exit 1; }
done
"$(dirname "$0")/programmi_installati.sh" "$scratch/prefisso/bin" "$scratch"
echo "installazione in $scratch/prefisso: ok"
