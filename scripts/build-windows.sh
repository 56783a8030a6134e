#!/usr/bin/env bash
# Builds the Windows DLLs with mingw-w64 from the same sources, 64-bit in build-windows/x86_64 and
# 32-bit in build-windows/i686 (scripts/build-windows.sh [x86_64|i686] to build one): wagelink.dll,
# wagelink-rev2.dll, wagelink-rev1.dll and wagelink-platform.dll.
# Installs what it needs (scripts/setup.sh windows) and pugixml's source from Debian's source
# packages (built into each DLL).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

scripts/setup.sh windows

# pugixml's source, from the same Debian release as the Linux build's libpugixml-dev.
sources=build-windows/pugixml
if [ ! -f "$sources/src/pugixml.cpp" ]; then
    if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        echo "adding Debian's source packages to apt (for pugixml's source)"
        codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
        printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
            "$codename" | $sudo tee /etc/apt/sources.list.d/wagelink-sources.sources >/dev/null
        $sudo apt-get update -qq
    fi
    rm -rf build-windows/pugixml-download && mkdir -p build-windows/pugixml-download
    (cd build-windows/pugixml-download && apt-get source --download-only -qq pugixml 2>/dev/null)
    rm -rf "$sources" && mkdir -p "$sources"
    tar -xzf build-windows/pugixml-download/pugixml_*.orig.tar.gz -C "$sources" --strip-components=1
fi

arches=("$@")
((${#arches[@]})) || arches=(x86_64 i686)
for a in "${arches[@]}"; do
    echo "== Windows DLLs, $a"
    scripts/build.sh "build-windows/$a" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$a-w64-mingw32.cmake" \
        -DWAGELINK_PUGIXML_SOURCE="$root/$sources"
done
