#!/usr/bin/env bash
# The shared library exports the seventeen functions of the table
# (cfedriver_funcoes.h) and nothing else. Usage: check_exports.sh LIBRARY TABLE
set -euo pipefail
lib=$1 table=$2
# The rows' first column: SAT(Nome, ... and CONTROLE(Nome, ...
want=$(grep -oE '^ *(SAT|CONTROLE)\([A-Za-z]+,' "$table" | sed -E 's/.*\(([A-Za-z]+),/\1/' | sort)
count=$(echo "$want" | wc -l)
if [ "$count" != 17 ]; then
  echo "the table has $count functions, not 17:"; echo "$want"
  exit 1
fi
actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TDBRVWiu]$/ {print $3}' | sort)
if [ "$actual" != "$want" ]; then
  echo "exported symbols differ from the table:"; diff <(echo "$want") <(echo "$actual") || true
  exit 1
fi
echo "17 exports, those of the table, nothing else"
