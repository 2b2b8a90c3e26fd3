#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$bad" != "0" ]; then
    git ls-files '*.cpp' '*.h' | xargs -r clang-format --dry-run 2>&1 | grep 'warning:' | cut -d: -f1 | sort -u
    echo "These files need clang-format (make format)." >&2
    exit 1
fi
