#!/usr/bin/env bash
# Installs the Debian packages Wagelink builds with, when any is missing:
#   scripts/setup.sh        everything the tests, the benchmarks and the server suites need
#   scripts/setup.sh demo   only what the server, the host and the demo need
#   scripts/setup.sh windows  what the Windows DLLs build and are tested with (scripts/build-windows.sh)
#
# A package index that fails to download is a warning: apt then installs from the lists it has, and
# the script fails only when a needed package cannot be installed, naming it and apt's error.
# The 32-bit Wine (wine32:i386 and the i386 libraries it reaches the test server through) is
# optional: where it cannot be had, only the 32-bit Wine run is skipped, and the i386 architecture
# is removed again unless something from it is installed. WAGELINK_WITHOUT_I386=1 makes the script
# behave as if i386 could not be had, without asking the archive.
set -euo pipefail
mode=${1:-all}
packages=(cmake ninja-build g++ libpugixml-dev libsqlite3-dev libcli11-dev unixodbc-dev)
case $mode in
windows)
    # mingw-w64-tools has widl; libwine-dev the system IDL files it imports and compiles the
    # imported type libraries from; wine the 64-bit Wine the tests run in; googletest the source
    # the DOM's tests are built from for Wine.
    packages=(cmake ninja-build mingw-w64 mingw-w64-tools libwine-dev wine wine64 zip googletest)
    ;;
all)
    packages+=(clang-format sqlite3 tdsodbc odbc-mariadb mariadb-server sqlfluff
               googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev)
    ;;
demo) ;;
*) echo "usage: $0 [all|demo|windows]" >&2; exit 2 ;;
esac
i386_packages=(wine32:i386 libodbc2:i386 libmariadb3:i386)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get "$@"; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

# Refreshes the package lists. An index that cannot be had (a mirror in the middle of a sync, an
# architecture the archive lacks) is named in a warning; apt keeps the lists it has.
updated=""
update_lists() {
    [ -z "$updated" ] || return 0
    updated=1
    local log
    log=$(mktemp)
    if ! apt_get update -qq >"$log" 2>&1; then
        echo "warning: apt-get update failed; installing from the package lists there are"
        grep -E '^(E|W|Err):' "$log" | sed -n 's/.*Failed to fetch \([^ ]*\).*/  index not updated: \1/p' |
            sort -u
        grep -E '^(E|W):' "$log" | grep -v 'Failed to fetch\|index files failed' | sed 's/^/  /' || true
    fi
    rm -f "$log"
}

# Installs the packages given; when apt refuses, names each package that cannot be installed with
# apt's own words, and returns 1.
install() {
    local log
    log=$(mktemp)
    if apt_get install -y -qq "$@" >"$log" 2>&1; then
        rm -f "$log"
        return 0
    fi
    local p why named=""
    for p in "$@"; do
        installed "$p" && continue
        why=$(apt_get install -s -qq "$p" 2>&1 | grep -E '^(E:| )' | head -5) || true
        [ -n "$why" ] || continue
        printf 'cannot install %s:\n%s\n' "$p" "$(sed 's/^/  /' <<<"$why")"
        named=1
    done
    # Nothing wrong with any one package (a locked dpkg, a full disk): apt's own words.
    [ -n "$named" ] || grep -E '^E:' "$log" | sed 's/^/  apt: /'
    rm -f "$log"
    return 1
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    update_lists
    install "${missing[@]}" || { echo "setup failed: a needed package cannot be installed" >&2; exit 1; }
fi

# The 32-bit DLLs are tested under 32-bit Wine, which reaches the test server through 32-bit
# unixODBC and MariaDB client libraries (tests/windows/run.sh skips that run without them).
i386_missing() {
    local p
    for p in "${i386_packages[@]}"; do installed "$p" || return 0; done
    return 1
}
[ "$mode" = windows ] && i386_missing || exit 0
if [ "${WAGELINK_WITHOUT_I386:-}" = 1 ]; then
    echo "WAGELINK_WITHOUT_I386=1: the i386 packages are not asked for; the 32-bit Wine run will be skipped"
    exit 0
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    updated=""
fi
update_lists
log=$(mktemp)
if apt_get install -y -qq "${i386_packages[@]}" >"$log" 2>&1; then
    rm -f "$log"
    exit 0
fi
echo "the i386 packages cannot be installed ($(grep -m1 '^E:' "$log" || echo "apt failed")):" \
    "the 32-bit Wine run will be skipped"
rm -f "$log"
# An i386 architecture that holds nothing only spoils the machine's other apt runs when its
# index fails; take it away again.
if ! dpkg-query -W -f='${Architecture}\n' | grep -qx i386; then
    $sudo dpkg --remove-architecture i386
    echo "the i386 architecture is removed again"
fi
exit 0
