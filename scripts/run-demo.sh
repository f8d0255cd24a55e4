#!/usr/bin/env bash
# Builds the demo if needed and starts it with data/ as the working directory.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh > build.log 2>&1 || { tail -40 build.log; exit 1; }
cd data
exec ../build/app/quarn "$@"
