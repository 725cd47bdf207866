#!/usr/bin/env bash
# Runs the commands that README shows with build/tools/, as written, in a scratch copy of a fresh
# clone after the Quick start (build/ built, lavoro/ prepared), and checks that the benchmarks
# and the files and folders of the clone that README names exist: README's examples cannot
# drift from the programs, nor send a reader to what a clone does not have.
#   esempi_readme.sh SOURCE_DIR BUILD_DIR DATA_DIR SCRATCH_DIR
set -euo pipefail
sorgenti=$1 build=$2 dati=$3 scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch/build" "$scratch/lavoro"
ln -s "$build/tools" "$scratch/build/tools"
cp "$dati"/* "$scratch/lavoro/"
cd "$scratch"
comandi=$(sed -n '/^```sh$/,/^```$/p' "$sorgenti/README.md" | grep '^build/tools/' |
  sed 's/[[:space:]]*#.*$//')
[ -n "$comandi" ] || { echo "README non mostra comandi build/tools/"; exit 1; }
while IFS= read -r comando; do
  if ! timeout 120 bash -c "$comando" >/dev/null 2>esempio.err; then
    echo "l'esempio di README non riesce: $comando"; cat esempio.err; exit 1
  fi
  echo "ok: $comando"
done <<<"$comandi"
for filtro in $(grep -o 'benchmark_filter=[A-Za-z]*' "$sorgenti/README.md" | cut -d= -f2); do
  grep -q "^BENCHMARK($filtro)" "$sorgenti"/bench/*.cpp ||
    { echo "README nomina il benchmark $filtro, che non esiste"; exit 1; }
done
# A name in backticks with a slash, or of a kind of file the clone holds, must be in the clone,
# unless the set-up makes it (build*/, lavoro/) or it is the system's (/dev, ~/.local).
mancano=$(grep -o '`[^` ]*`' "$sorgenti/README.md" | tr -d '`' |
  grep -E '/|\.(sh|cpp|h|c|md|1|json|cmake|svg)$' | grep -vE '^(/|~|build|lavoro|-|>)|<' | sort -u |
  while read -r nome; do [ -e "$sorgenti/$nome" ] || echo "$nome"; done)
[ -z "$mancano" ] || { echo "README nomina cose che il clone non ha:"; echo "$mancano"; exit 1; }
# README's pictures are the ones that doc/rigenera.sh draws with today's programs.
mkdir "$scratch/figure"
"$sorgenti/doc/rigenera.sh" "$build/tools" "$scratch/figure" >/dev/null
for figura in "$scratch"/figure/*.svg; do
  nome=$(basename "$figura")
  cmp -s "$figura" "$sorgenti/doc/$nome" ||
    { echo "doc/$nome non e' quello che doc/rigenera.sh disegna oggi"; exit 1; }
  grep -q "(doc/$nome)" "$sorgenti/README.md" || { echo "README non mostra doc/$nome"; exit 1; }
done
