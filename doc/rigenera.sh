#!/usr/bin/env bash
# Regenerates the picture that README shows: terne searches the legs 1 … 600 with its pauses
# preloaded away, and terne-grafico draws the results on 400 × 400 pixels.
#   doc/rigenera.sh
set -euo pipefail
radice=$(cd "$(dirname "$0")/.." && pwd)
cd "$radice"
tools/prerequisiti.sh prove
cmake --preset prova >/dev/null
cmake --build --preset prova --target terne terne-prepara terne-grafico senza_pausa >/dev/null
lavoro=$(mktemp -d)
trap 'rm -rf "$lavoro"' EXIT
build-prova/tools/terne-prepara "$lavoro" >/dev/null
(cd "$lavoro" && printf '1\n600\nx\n' |
   LD_PRELOAD="$radice/build-prova/e2e/libsenza_pausa.so" "$radice/build-prova/driver/terne" >/dev/null)
build-prova/tools/terne-grafico --pixel 400 -o doc/triadiRettangole1-600.svg \
  "$lavoro/triadiRettangole1-600.txt"
echo "scritto doc/triadiRettangole1-600.svg"
