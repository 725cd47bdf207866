#!/usr/bin/env bash
# The whole-program figures that README gives, measured in one run on this machine: the start of
# terne-cerca (the input files read and checked) beside reading its sixteen tables with cat, the
# search of every leg, and its peak memory; every triple (--tutte) of the legs 1 … 65535, written
# to its file, and of the 10^5 legs below 2^32, with the cost per triple of each; the peak memory
# of terne-grafico drawing every leg at 1000 and 10000 pixels. Medians of
# hyperfine's runs; lower is better.
#   bench/misura.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
giri=${1:-20}
tools/prerequisiti.sh bench
cmake --preset programma >/dev/null
cmake --build --preset programma >/dev/null
cerca=$PWD/build/tools/terne-cerca
grafico=$PWD/build/tools/terne-grafico
cartella=build-bench/misura
mkdir -p "$cartella"
build/tools/terne-prepara "$cartella" >/dev/null
cd "$cartella"
tabelle=$(printf 'Combinations%02d.txt ' {4..19})
mediana() {  # mediana COMANDO RUNS [PREPARA]: the median wall time of COMANDO, in milliseconds
  hyperfine -N -w 3 -r "$2" ${3:+--prepare "$3"} --export-csv misura.csv "$1" >/dev/null 2>&1
  awk -F, 'NR == 2 {printf "%.1f", $4 * 1000}' misura.csv
}
avvio=$(mediana "$cerca -q -o /dev/null 1 1" "$giri")
lettura=$(mediana "cat $tabelle" "$giri")
tutto=$(mediana "$cerca -q -o /dev/null 1 65535" 5)
memoria=$( { /usr/bin/time -f %M "$cerca" -q -o /dev/null 1 65535; } 2>&1 | tail -n 1)
tutte=$(mediana "$cerca -q -t 1 65535" 10 "rm -f tutteLeTerne1-65535.txt")
memoriaTutte=$( { /usr/bin/time -f %M "$cerca" -q -t -o /dev/null 1 65535; } 2>&1 | tail -n 1)
alto=$(mediana "$cerca -q -t -o /dev/null 4294867296 4294967295" 5)
terneTutte=$(wc -l <tutteLeTerne1-65535.txt)
terneAlto=$("$cerca" -q -t -o - 4294867296 4294967295 | wc -l)
printf '| misura | ms |\n|---|---|\n'
printf '| terne-cerca -q 1 1 (avvio) | %s |\n' "$avvio"
printf '| cat delle sedici tabelle | %s |\n' "$lettura"
printf '| terne-cerca -q 1 65535 | %s |\n' "$tutto"
awk -v a="$avvio" -v l="$lettura" 'BEGIN {printf "avvio / lettura delle tabelle: %.1f\n", a / l}'
echo "memoria di picco di terne-cerca -q 1 65535: $((memoria / 1024)) MiB"
printf '| terne-cerca -q -t 1 65535 (%s terne nel file) | %s |\n' "$terneTutte" "$tutte"
printf '| terne-cerca -q -t 4294867296 4294967295 (%s terne) | %s |\n' "$terneAlto" "$alto"
awk -v a="$tutte" -v n="$terneTutte" -v b="$alto" -v m="$terneAlto" 'BEGIN {
  printf "ns per terna: %.0f (1 … 65535), %.0f (sotto 2^32), rapporto %.1f\n", a * 1e6 / n,
    b * 1e6 / m, (b / m) / (a / n) }'
echo "memoria di picco di terne-cerca -q -t 1 65535: $((memoriaTutte / 1024)) MiB"
rm -f triadiRettangole1-65535.txt && "$cerca" -q 1 65535
for pixel in 1000 10000; do
  picco=$( { /usr/bin/time -f %M "$grafico" -q --pixel=$pixel -o /dev/null \
    triadiRettangole1-65535.txt; } 2>&1 | tail -n 1)
  echo "memoria di picco di terne-grafico --pixel=$pixel 1 … 65535: $((picco / 1024)) MiB"
done
