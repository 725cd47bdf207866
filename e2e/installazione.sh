#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed programs there on a small
# range: the binaries, the manual pages and the completions land where users look for them, and
# they work; then the target "uninstall" takes every installed file away again.
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
cmake --build "$build" --target uninstall >/dev/null
rimasti=$(find "$scratch/prefisso" -type f)
[ -z "$rimasti" ] || { echo "rimasti dopo uninstall:"; echo "$rimasti"; exit 1; }
echo "installazione in $scratch/prefisso e rimozione: ok"
