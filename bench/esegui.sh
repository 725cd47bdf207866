#!/usr/bin/env bash
# Builds the benchmarks optimised (preset "bench") and runs them in a folder of input files:
# those of terne's work, of every triple (terne-cerca --tutte), then those of terne-grafico's.
#   bench/esegui.sh [google-benchmark options]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/prerequisiti.sh bench
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
build-bench/tools/terne-prepara build-bench/dati >/dev/null
cd build-bench/dati
# Each program runs the benchmarks of its own that a --benchmark_filter leaves.
for programma in terne_bench tutte_bench grafico_bench; do
  if [ -n "$(../bench/$programma --benchmark_list_tests "$@" 2>/dev/null)" ]; then
    ../bench/$programma "$@"
  fi
done
