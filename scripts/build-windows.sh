#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64 in build-windows/ and makes the folder
# a viewer unpacks: dist/quarn-win64/ (quarn.exe and the scene inspector quarn-inspect.exe
# beside the data files and README.txt) and its zip, dist/quarn-<version>-win64.zip. With
# --tests it also builds the Windows tests.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

targets=(--target quarn quarn-inspect)
[ "${1:-}" = "--tests" ] && targets+=(quarn_win32_tests)

cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" > build-windows.configure.log 2>&1 ||
    { cat build-windows.configure.log; exit 1; }
cmake --build build-windows -j"$jobs" "${targets[@]}"

dist=dist/quarn-win64
version=$(cat build-windows/version.txt)
zip_name=quarn-$version-win64.zip
rm -rf "$dist" dist/quarn-*win64.zip
mkdir -p "$dist"
x86_64-w64-mingw32-strip -o "$dist/quarn.exe" build-windows/app/quarn.exe
x86_64-w64-mingw32-strip -o "$dist/quarn-inspect.exe" build-windows/app/quarn-inspect.exe
# The program reads its files by plain name from its working directory or its own
# folder: the data goes beside the exe. Only the files the repository tracks go (not
# the log or a recording a run left in data/); outside a git checkout, the scene,
# texture and music files.
if [ -d data ]; then
    if git ls-files --error-unmatch data > /dev/null 2>&1; then
        git ls-files -z -- data | xargs -0 cp -t "$dist/"
    else
        find data -maxdepth 1 -type f \( -name '*.3ds' -o -name '*.jpg' -o -name '*.tga' -o -name '*.mp3' \) \
            -exec cp -t "$dist/" {} +
    fi
fi
# What the folder holds, in Windows line ends.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' packaging/windows/README.txt > "$dist/README.txt"
sed -e 's/$/\r/' LICENSE > "$dist/LICENSE.txt"
(cd dist && zip -qr "$zip_name" quarn-win64)
echo "Windows build: $dist/ and dist/$zip_name ($(du -h "dist/$zip_name" | cut -f1))"
