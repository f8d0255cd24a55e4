#!/usr/bin/env bash
# Builds the browser version with Debian's emscripten: build-web/ (quarn.js, quarn.wasm,
# quarn.data), then dist/quarn-web/ (those and the page from web/) and
# dist/quarn-<version>-web.zip. Serve the folder with scripts/serve-web.sh.
# QUARN_WEB_DATA=DIR packs another data folder (the browser test uses that).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v emcmake > /dev/null || { echo "build-web.sh: emscripten is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
# Debian's emscripten runs its JavaScript optimizer with Debian's node modules.
export NODE_PATH=/usr/share/nodejs
data=${QUARN_WEB_DATA:-$PWD/data}
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DQUARN_TESTS=OFF "-DQUARN_WEB_DATA=$data" \
    "${launcher[@]}" > build-web.configure.log 2>&1 || { cat build-web.configure.log; exit 1; }
cmake --build build-web --target quarn -j"$(nproc)"
version=$(cat build-web/version.txt)
out=dist/quarn-web
rm -rf "$out"
mkdir -p "$out"
cp build-web/app/quarn.js build-web/app/quarn.wasm build-web/app/quarn.data "$out/"
cp web/index.html web/page.js web/page.css "$out/"
cp LICENSE "$out/" 2> /dev/null || true
rm -f "dist/quarn-$version-web.zip"
(cd dist && python3 -m zipfile -c "quarn-$version-web.zip" quarn-web)
echo "build-web.sh: made $out and dist/quarn-$version-web.zip"
