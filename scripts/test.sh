#!/usr/bin/env bash
# Runs every check: the build and all tests, the Debian package, the sanitizer build
# of the tests, and the cross-compile of the portable core for Windows. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

scripts/install-deps.sh

echo "== layers"
scripts/check-layers.sh

echo "== build and test (build/)"
scripts/build.sh
(cd build && ctest --output-on-failure -j"$jobs" -LE long) # ctest -L long: the whole content regeneration

echo "== the Debian package: build, lintian, unpacked run (scripts/package.sh, tests/package/)"
scripts/package.sh
tests/package/check_package.sh "dist/quarn_$(cat build-package/version.txt)_amd64.deb"

echo "== sanitizers: AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-asan.configure.log 2>&1 ||
    { cat build-asan.configure.log; exit 1; }
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs" -LE "integration|long")

echo "== portable core for Windows with mingw-w64 (build-mingw/)"
cmake -S . -B build-mingw -DQUARN_CORE_ONLY=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-posix.cmake" > build-mingw.configure.log 2>&1 ||
    { cat build-mingw.configure.log; exit 1; }
cmake --build build-mingw -j"$jobs"

echo "== the browser build in headless Chromium (scripts/test-web.sh)"
scripts/test-web.sh

echo "== the Windows program: cross build, and its tests under Wine (scripts/test-windows.sh)"
scripts/test-windows.sh

echo "== all checks passed"
