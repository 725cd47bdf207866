#!/usr/bin/env bash
# The whole-program figures that README gives, measured in one run on this machine: the start of
# terne-cerca (the input files read and checked) beside reading its sixteen tables with cat, the
# search of every leg, and its peak memory. Medians of hyperfine's runs; lower is better.
#   bench/misura.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
giri=${1:-20}
tools/prerequisiti.sh bench
cmake --preset programma >/dev/null
cmake --build --preset programma >/dev/null
cerca=$PWD/build/tools/terne-cerca
cartella=build-bench/misura
mkdir -p "$cartella"
build/tools/terne-prepara "$cartella" >/dev/null
cd "$cartella"
tabelle=$(printf 'Combinations%02d.txt ' {4..19})
mediana() {  # mediana COMANDO RUNS: the median wall time of COMANDO, in milliseconds
  hyperfine -N -w 3 -r "$2" --export-csv misura.csv "$1" >/dev/null 2>&1
  awk -F, 'NR == 2 {printf "%.1f", $4 * 1000}' misura.csv
}
avvio=$(mediana "$cerca -q -o /dev/null 1 1" "$giri")
lettura=$(mediana "cat $tabelle" "$giri")
tutto=$(mediana "$cerca -q -o /dev/null 1 65535" 5)
memoria=$( { /usr/bin/time -f %M "$cerca" -q -o /dev/null 1 65535; } 2>&1 | tail -n 1)
printf '| misura | ms |\n|---|---|\n'
printf '| terne-cerca -q 1 1 (avvio) | %s |\n' "$avvio"
printf '| cat delle sedici tabelle | %s |\n' "$lettura"
printf '| terne-cerca -q 1 65535 | %s |\n' "$tutto"
awk -v a="$avvio" -v l="$lettura" 'BEGIN {printf "avvio / lettura delle tabelle: %.1f\n", a / l}'
echo "memoria di picco di terne-cerca -q 1 65535: $((memoria / 1024)) MiB"
