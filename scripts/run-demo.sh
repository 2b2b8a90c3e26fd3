#!/usr/bin/env bash
# What `make run` does until the program's window exists: ozk makes a new setup with random
# steps and plays it on the built-in synth until Ctrl+C.
set -euo pipefail
build=${1:-build}
out="$build/demo.ozk"
"$build/tools/ozk/ozk" new --seed "${SEED:-$RANDOM}" -o "$out"
echo "Playing $out on the built-in synth; Ctrl+C stops. (ozk dump $out shows its steps.)" >&2
exec "$build/tools/ozk/ozk" play "$out" ${SECONDS_TO_PLAY:+--seconds "$SECONDS_TO_PLAY"}
