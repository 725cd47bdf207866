#!/usr/bin/env bash
# Draws the pictures that README shows: terne-cerca searches the legs 1 … 600 and terne-grafico
# draws them on 400 × 400 pixels; the legs 1 … 30, terne's triples and every triple, are drawn
# side by side on 300 × 300 pixels with the window 0 … 100, where the families of every triple
# show.
#   doc/rigenera.sh                builds build/ and writes the pictures into doc/ again
#   doc/rigenera.sh BIN CARTELLA   draws them with the programs in BIN into CARTELLA (the tests
#                                  compare them)
set -euo pipefail
radice=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 2 ]; then
  programmi=$1 cartella=$2
else
  cd "$radice"
  tools/prerequisiti.sh programma
  cmake --preset programma >/dev/null
  cmake --build --preset programma --target terne-prepara terne-cerca terne-grafico >/dev/null
  programmi=$radice/build/tools cartella=$radice/doc
fi
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
"$programmi/terne-prepara" "$lavoro" >/dev/null
"$programmi/terne-cerca" -q -C "$lavoro" 1 600
"$programmi/terne-cerca" -q -C "$lavoro" 1 30
"$programmi/terne-cerca" -q -C "$lavoro" --tutte 1 30
disegna() {  # disegna NOME OPZIONI...: draws the results file NOME.txt into CARTELLA/NOME.svg
  local nome=$1; shift
  "$programmi/terne-grafico" -q "$@" -o "$cartella/$nome.svg" "$lavoro/$nome.txt"
  echo "scritto $cartella/$nome.svg"
}
disegna triadiRettangole1-600 --pixel 400
disegna triadiRettangole1-30 --pixel 300 --lato 100
disegna tutteLeTerne1-30 --pixel 300 --lato 100
