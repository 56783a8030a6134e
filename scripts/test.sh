#!/usr/bin/env bash
# Sets up, builds and runs every test twice: a normal build (g++) and an address+undefined
# sanitizer build (clang), which also runs the fuzz target over Transact for a minute.
# Benchmarks are built in the normal build (not run). The server suites run against a private
# MariaDB server that this script starts on 127.0.0.1 (data under build/db-server) and stops.
# Last, the Windows DLLs are built (scripts/build-windows.sh) and tested under Wine against the
# same server (tests/windows/run.sh), 64-bit and, where the machine has the 32-bit Wine, 32-bit;
# then the path of a machine without it is taken once on purpose (WAGELINK_WITHOUT_I386=1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWAGELINK_TESTS=ON \
    -DWAGELINK_BENCHMARKS=ON
scripts/build.sh build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DWAGELINK_SANITIZE=ON \
    -DWAGELINK_TESTS=ON \
    -DWAGELINK_FUZZ=ON -DWAGELINK_BENCHMARKS=OFF
WAGELINK_TEST_SERVER=$(scripts/db-server.sh start build/db-server 43306)
trap 'scripts/db-server.sh stop build/db-server' EXIT
export WAGELINK_TEST_SERVER WAGELINK_REQUIRE_SERVER=1
echo "== test database server: $WAGELINK_TEST_SERVER"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== tests, normal build"
ctest --test-dir build -j "$(nproc)" --output-on-failure
echo "== the import, export and person suites again, each test's demo database on the server"
WAGELINK_TEST_DATABASE=server ctest --test-dir build -j "$(nproc)" --output-on-failure -R \
    '^(ItemImport|ItemUpdate|ItemExport|KestExport|PersonChecks|Enrolment|RosterExport|Builders|DirectExport|TransactTest|Trial|HostileRequests|Revisions/EveryRevision)\.'
echo "== tests, sanitizer build"
ctest --test-dir build-asan -j "$(nproc)" --output-on-failure
echo "== the Windows DLLs, built and tested under Wine"
scripts/build-windows.sh
scripts/package-windows.sh
tests/windows/run.sh x86_64
tests/windows/run.sh i686
echo "== a machine without the 32-bit Wine: setup passes, the i686 Wine run is skipped, its DLLs packaged"
WAGELINK_WITHOUT_I386=1 scripts/setup.sh windows
skipped=$(WAGELINK_WITHOUT_I386=1 tests/windows/run.sh i686)
echo "$skipped"
grep -q '^== i686: the Wine run is skipped' <<<"$skipped" &&
    [ -f build-windows/package/wagelink-windows-x86.zip ] &&
    [ -f build-windows/package/wagelink-windows-x86/wagelink.dll ] ||
    { echo "FAIL: without the 32-bit Wine the i686 run is not skipped, or its DLLs are not packaged"; exit 1; }
