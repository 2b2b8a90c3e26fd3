#!/usr/bin/env bash
# What `make run` shows until the program's window exists: ozk makes a new setup, writes it as
# a settings file and prints it back as JSON.
set -euo pipefail
build=${1:-build}
out="$build/demo.ozk"
"$build/tools/ozk/ozk" new --seed "${SEED:-$RANDOM}" -o "$out"
"$build/tools/ozk/ozk" dump "$out"
echo "Wrote $out ($(stat -c %s "$out") bytes)." >&2
