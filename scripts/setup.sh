#!/usr/bin/env bash
# Installs the Debian packages Wagelink builds with, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config clang-format libxml2-dev libsqlite3-dev sqlite3 libcli11-dev
          unixodbc-dev tdsodbc odbc-mariadb mariadb-server
          googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev)
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
