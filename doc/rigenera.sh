#!/usr/bin/env bash
# Draws the picture that README shows: terne-cerca searches the legs 1 … 600, and terne-grafico
# draws the results on 400 × 400 pixels.
#   doc/rigenera.sh            builds build/ and writes doc/triadiRettangole1-600.svg again
#   doc/rigenera.sh BIN FILE   draws it with the programs in BIN into FILE (the tests compare it)
set -euo pipefail
radice=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 2 ]; then
  programmi=$1 figura=$2
else
  cd "$radice"
  tools/prerequisiti.sh programma
  cmake --preset programma >/dev/null
  cmake --build --preset programma --target terne-prepara terne-cerca terne-grafico >/dev/null
  programmi=$radice/build/tools figura=$radice/doc/triadiRettangole1-600.svg
fi
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
"$programmi/terne-prepara" "$lavoro" >/dev/null
"$programmi/terne-cerca" -q -C "$lavoro" 1 600
"$programmi/terne-grafico" -q --pixel 400 -o "$figura" "$lavoro/triadiRettangole1-600.txt"
echo "scritto $figura"
