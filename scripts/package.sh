#!/usr/bin/env bash
# Builds the Debian package dist/quarn_<version>_amd64.deb: a Release build of the
# installed programs in build-package/, installed under /usr by CPack's DEB generator
# (dependencies found by dpkg-shlibdeps). Runs lintian on it when lintian is present.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
[ "$jobs" -gt 2 ] && jobs=2

# Debian's hardening flags (what dpkg-buildflags gives a package build).
hardening_c="-g -O2 -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat -Werror=format-security"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DQUARN_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_C_FLAGS="$hardening_c" -DCMAKE_CXX_FLAGS="$hardening_c" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" > build-package.configure.log 2>&1 ||
    { cat build-package.configure.log; exit 1; }
nice cmake --build build-package -j"$jobs" --target quarn_installed_programs
(cd build-package && cpack -G DEB -B "$PWD/cpack" > cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }

version=$(cat build-package/version.txt)
deb=dist/quarn_${version}_amd64.deb
mkdir -p dist
mv "build-package/cpack/quarn_${version}_amd64.deb" "$deb"
echo "Debian package: $deb ($(du -h "$deb" | cut -f1))"
if command -v lintian > /dev/null; then
    # Errors fail the build; warnings are shown.
    lintian --fail-on error "$deb"
fi
