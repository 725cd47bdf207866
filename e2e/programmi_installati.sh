#!/usr/bin/env bash
# Runs installed programs on a small range: terne-prepara writes the input files, terne finds
# the one triple of leg 4 and writes it to its results file, terne-cerca writes the same file,
# terne-grafico draws it.
#   programmi_installati.sh BIN_DIR SCRATCH_DIR
set -euo pipefail
bin=$1 scratch=$2
"$bin/terne-prepara" "$scratch/lavoro" >/dev/null
cd "$scratch/lavoro"
printf '4\n4\nx\n' | "$bin/terne" >console.txt
grep -qx "La terna di numeri interi: 3 , 4 , 5 e' Pitagorica." console.txt || {
  echo "la terna 3, 4, 5 non compare:"; cat console.txt; exit 1; }
[ "$(cat triadiRettangole4-4.txt)" = "3,4,5" ] || { echo "file dei risultati sbagliato"; exit 1; }
[ "$("$bin/terne-cerca" -q -o - 4 4)" = "3,4,5" ] || { echo "terne-cerca sbagliato"; exit 1; }
"$bin/terne-grafico" triadiRettangole4-4.txt
grep -q "triadiRettangole4-4.txt: 1 terna, 2 punti da 0 a 4" triadiRettangole4-4.svg || {
  echo "grafico sbagliato:"; head -c 600 triadiRettangole4-4.svg; exit 1; }
