#!/usr/bin/env bash
# Serves dist/quarn-web/ (made by scripts/build-web.sh) on localhost: browsers load
# WebAssembly and the data package over HTTP only, not from file://.
# Usage: scripts/serve-web.sh [PORT]   (default 8080)
set -euo pipefail
cd "$(dirname "$0")/../dist/quarn-web" 2> /dev/null || { echo "serve-web.sh: run scripts/build-web.sh first" >&2; exit 1; }
port=${1:-8080}
echo "Open http://127.0.0.1:$port/ in a browser (Ctrl+C stops the server)."
exec python3 -m http.server --bind 127.0.0.1 "$port"
