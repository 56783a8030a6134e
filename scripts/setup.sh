#!/usr/bin/env bash
# Installs the Debian packages Wagelink builds with, when any is missing:
#   scripts/setup.sh        everything the tests, the benchmarks and the server suites need
#   scripts/setup.sh demo   only what the server, the host and the demo need
#   scripts/setup.sh windows  what the Windows DLLs build with (scripts/build-windows.sh)
set -euo pipefail
packages=(cmake ninja-build g++ libpugixml-dev libsqlite3-dev libcli11-dev unixodbc-dev)
if [ "${1:-all}" = windows ]; then
    # mingw-w64-tools has widl; libwine-dev the system IDL files it imports; wine the type
    # libraries ours import (stdole2.tlb, msxml3.dll).
    packages=(cmake ninja-build mingw-w64 mingw-w64-tools libwine-dev wine wine64)
elif [ "${1:-all}" != demo ]; then
    packages+=(clang-format sqlite3 tdsodbc odbc-mariadb mariadb-server
               googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
