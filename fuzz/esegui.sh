#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang++) and runs each one from its seed corpus.
#   fuzz/esegui.sh         a short bounded run of each target, as CI does
#   fuzz/esegui.sh 600     each target for 600 seconds
# New inputs go to a scratch folder; a crash, leak or hang leaves its input in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
radice=$PWD
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
if [ $# -gt 0 ]; then
  limite=(-max_total_time="$1")
else
  limite=(-runs="${FUZZ_RUNS:-4000}" -max_total_time=20)
fi
esito=0
for t in combinatorial primi numero dialogo grafico; do
  nuovi=$(mktemp -d)
  log=$radice/build-fuzz/$t.log
  if "$radice/build-fuzz/fuzz/${t}_fuzz" "${limite[@]}" -timeout=10 -rss_limit_mb=4096 \
      -artifact_prefix="$radice/build-fuzz/$t-" "$nuovi" "$radice/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz $t: ok ($(grep -Eo '^#[0-9]+' "$log" | tail -1 | tr -d '#') esecuzioni)"
  else
    echo "fuzz $t: GUASTO, vedi $log"; tail -30 "$log"; esito=1
  fi
  rm -rf "$nuovi"
done
exit $esito
