#!/usr/bin/env bash
# Regenerates the picture that README shows: terne-cerca searches the legs 1 … 600, and
# terne-grafico draws the results on 400 × 400 pixels.
#   doc/rigenera.sh
set -euo pipefail
radice=$(cd "$(dirname "$0")/.." && pwd)
cd "$radice"
tools/prerequisiti.sh programma
cmake --preset programma >/dev/null
cmake --build --preset programma --target terne-prepara terne-cerca terne-grafico >/dev/null
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
build/tools/terne-prepara "$lavoro" >/dev/null
build/tools/terne-cerca -q -C "$lavoro" 1 600
build/tools/terne-grafico --pixel 400 -o doc/triadiRettangole1-600.svg \
  "$lavoro/triadiRettangole1-600.txt"
echo "scritto doc/triadiRettangole1-600.svg"
