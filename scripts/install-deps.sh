#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need. Idempotent:
# when every package is present it only checks and returns.
set -euo pipefail

packages=(
    build-essential cmake pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    libsdl2-dev libmpg123-dev libjpeg-dev libgtk-3-dev libgl-dev libglu1-mesa-dev libegl-dev libpng-dev
    libgl1-mesa-dri libegl-mesa0 libglx-mesa0 librsvg2-common
    xvfb xauth xdotool xfonts-base x11-utils libx11-dev
    ffmpeg lame mpg123 assimp-utils
    libassimp-dev lib3ds-dev libstb-dev
    g++-mingw-w64-x86-64-posix
    dpkg-dev fakeroot lintian desktop-file-utils icoutils imagemagick man-db zip
    emscripten chromium nodejs
)
# npm comes with some builds of nodejs; Debian's own nodejs needs its npm package.
command -v npm > /dev/null || packages+=(npm)
if [ "${1:-}" = "--with-wine" ]; then
    packages+=(wine wine64 pulseaudio pulseaudio-utils fonts-wine imagemagick zip)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

# The browser test's puppeteer-core (drives the Debian chromium), into tests/web/node_modules.
web_test="$(dirname "$0")/../tests/web"
if [ ! -d "$web_test/node_modules/puppeteer-core" ]; then
    (cd "$web_test" && npm ci --no-audit --no-fund --loglevel=error)
fi
