#!/usr/bin/env bash
# Renders each manual page with man and groff and fails on any warning, and on a line that runs
# over 80 columns.
#   pagine_manuale.sh PAGE...
set -euo pipefail
for cmd in man groff; do
  command -v "$cmd" >/dev/null || { echo "manca $cmd (pacchetti man-db e groff-base)"; exit 1; }
done
for pagina in "$@"; do
  avvisi=$( { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$pagina" >/dev/null; } 2>&1;
            groff -man -Tutf8 -ww -z "$pagina" 2>&1 )
  if [ -n "$avvisi" ]; then
    echo "$pagina:"; echo "$avvisi"; exit 1
  fi
  resa=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$pagina")
  grep -q "CODICE DI USCITA" <<<"$resa" || { echo "$pagina: sezione CODICE DI USCITA assente"; exit 1; }
  lunghe=$(LC_ALL=C.UTF-8 grep -E '^.{81}' <<<"$resa" || true)  # characters, not bytes
  [ -z "$lunghe" ] || { echo "$pagina: righe oltre 80 colonne:"; echo "$lunghe"; exit 1; }
done
echo "pagine senza avvisi: $*"
