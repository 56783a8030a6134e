#!/usr/bin/env bash
# Builds the Windows DLLs with mingw-w64 from the same sources, 64-bit in build-windows/x86_64 and
# 32-bit in build-windows/i686 (scripts/build-windows.sh [x86_64|i686] to build one): wagelink.dll,
# wagelink-rev2.dll, wagelink-rev1.dll and wagelink-platform.dll.
# The DOM is the system's MSXML. Installs what it needs (scripts/setup.sh windows); beside the
# DLLs it builds the DOM's tests for Wine (wagelink-xml-tests.exe) and its C++ client.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/setup.sh windows

arches=("$@")
((${#arches[@]})) || arches=(x86_64 i686)
for a in "${arches[@]}"; do
    echo "== Windows DLLs, $a"
    scripts/build.sh "build-windows/$a" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/$a-w64-mingw32.cmake"
done
