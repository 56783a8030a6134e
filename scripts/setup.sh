#!/usr/bin/env bash
# Installs the Debian packages Wagelink builds with, when any is missing:
#   scripts/setup.sh        everything the tests, the benchmarks and the server suites need
#   scripts/setup.sh demo   only what the server, the host and the demo need
#   scripts/setup.sh windows  what the Windows DLLs build with (scripts/build-windows.sh)
set -euo pipefail
packages=(cmake ninja-build g++ libpugixml-dev libsqlite3-dev libcli11-dev unixodbc-dev)
if [ "${1:-all}" = windows ]; then
    # mingw-w64-tools has widl; libwine-dev the system IDL files it imports; wine the type
    # libraries ours import (stdole2.tlb, msxml3.dll) and the DOM; googletest the source the
    # DOM's tests are built from for Wine.
    packages=(cmake ninja-build mingw-w64 mingw-w64-tools libwine-dev wine wine64 zip googletest)
elif [ "${1:-all}" != demo ]; then
    packages+=(clang-format sqlite3 tdsodbc odbc-mariadb mariadb-server
               googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The 32-bit DLLs are tested under 32-bit Wine, which reaches the test server through 32-bit
# unixODBC and MariaDB client libraries. Where i386 packages cannot be had, only that run is
# skipped (tests/windows/run.sh says so).
if [ "${1:-all}" = windows ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    if $sudo dpkg --add-architecture i386 && $sudo apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq wine32:i386 libodbc2:i386 libmariadb3:i386; then
        :
    else
        echo "the i386 packages (wine32:i386) could not be installed: the 32-bit Windows tests will be skipped"
    fi
fi
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
