#!/usr/bin/env bash
# The Debian packages that building, testing and CI need, listed once here, and the installation
# of those that are missing. apt-get runs only when something is missing: directly as root,
# through sudo otherwise.
#   tools/prerequisiti.sh programma   what ./avvia needs to build the programs
#   tools/prerequisiti.sh pacchetto   that, and what the Debian package needs (dpkg-shlibdeps)
#   tools/prerequisiti.sh prove       that, and what ./prova needs to run every test
#   tools/prerequisiti.sh bench       what bench/ needs: the build, Google Benchmark, hyperfine
#                                     and GNU time
#   tools/prerequisiti.sh ci          that, and clang for the fuzzers and lintian for the package
set -euo pipefail

programma=(cmake ninja-build g++)
pacchetto=("${programma[@]}" dpkg-dev file)
prove=("${pacchetto[@]}" libgtest-dev man-db groff-base libxml2-utils librsvg2-bin netpbm)
ci=("${prove[@]}" clang libclang-rt-dev lintian)
bench=("${programma[@]}" libbenchmark-dev hyperfine time)

case "${1:-}" in
  programma) voluti=("${programma[@]}") ;;
  pacchetto) voluti=("${pacchetto[@]}") ;;
  prove) voluti=("${prove[@]}") ;;
  ci) voluti=("${ci[@]}") ;;
  bench) voluti=("${bench[@]}") ;;
  *) echo "uso: $0 programma|pacchetto|prove|ci|bench" >&2; exit 2 ;;
esac

mancanti=()
for p in "${voluti[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] || mancanti+=("$p")
done
[ ${#mancanti[@]} -eq 0 ] && exit 0

echo "Installo i pacchetti Debian che mancano: ${mancanti[*]}"
if [ "$(id -u)" -eq 0 ]; then
  come=()
elif command -v sudo >/dev/null; then
  come=(sudo)
else
  echo "Per installarli servono i permessi di root (o sudo)." >&2
  exit 1
fi
"${come[@]}" apt-get update -qq
"${come[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${mancanti[@]}" >/dev/null
