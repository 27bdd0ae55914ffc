#!/usr/bin/env bash
# Checks each message catalog with msgfmt: it compiles with --check, and --statistics reports
# only translated messages (no fuzzy, no untranslated).
set -euo pipefail
folder=$1
count=0
status=0
for po in "$folder"/*.po; do
  count=$((count + 1))
  stats=$(LC_ALL=C msgfmt --check --statistics -o /dev/null "$po" 2>&1) || { echo "$po: $stats"; status=1; continue; }
  if grep -qE 'untranslated|fuzzy' <<<"$stats"; then
    echo "$po: $stats"
    status=1
  fi
done
if [ "$count" -ne 23 ]; then
  echo "expected 23 catalogs in $folder, found $count"
  status=1
fi
exit $status
