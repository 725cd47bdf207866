#!/usr/bin/env bash
# Builds the Debian package of a build, checks its control fields and file list, unpacks it
# into a scratch folder with dpkg-deb -x (the system stays untouched) and runs the unpacked
# programs there on a small range.
#   pacchetto.sh BUILD_DIR SCRATCH_DIR VERSION
set -euo pipefail
build=$1 scratch=$2 versione=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >/dev/null
architettura=$(dpkg --print-architecture)
deb=$scratch/terne_${versione}_${architettura}.deb
[ -f "$deb" ] || { echo "manca $deb:"; ls "$scratch"; exit 1; }

informazioni=$(dpkg-deb -I "$deb")
for campo in "Package: terne" "Version: $versione" "Architecture: $architettura" \
             "Recommends: bash-completion"; do
  grep -qx " $campo" <<<"$informazioni" || { echo "manca '$campo':"; echo "$informazioni"; exit 1; }
done
for libreria in libc6 libstdc++6; do
  grep -q "^ Depends: .*$libreria" <<<"$informazioni" || {
    echo "Depends non nomina $libreria:"; echo "$informazioni"; exit 1; }
done

elenco=$(dpkg-deb -c "$deb")
for f in usr/bin/terne usr/bin/terne-prepara usr/bin/terne-grafico usr/bin/terne-cerca \
         usr/share/man/man1/terne.1.gz usr/share/man/man1/terne-prepara.1.gz \
         usr/share/man/man1/terne-grafico.1.gz usr/share/man/man1/terne-cerca.1.gz \
         usr/share/doc/terne/copyright \
         usr/share/bash-completion/completions/terne \
         usr/share/bash-completion/completions/terne-prepara \
         usr/share/bash-completion/completions/terne-cerca \
         usr/share/bash-completion/completions/terne-grafico \
         usr/share/doc/terne/changelog.gz; do
  grep -q " \./$f\$" <<<"$elenco" || { echo "manca $f nel pacchetto:"; echo "$elenco"; exit 1; }
done

dpkg-deb -x "$deb" "$scratch/radice"
"$(dirname "$0")/programmi_installati.sh" "$scratch/radice/usr/bin" "$scratch"
echo "pacchetto $(basename "$deb"): ok"
