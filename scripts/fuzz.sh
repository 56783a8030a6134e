#!/usr/bin/env bash
# Builds the fuzz target over Transact (clang, libFuzzer, address and undefined sanitizers,
# optimized) and runs it at length: scripts/fuzz.sh [SECONDS] [WORKERS] (defaults 3600 and the
# number of cores). New inputs collect in build-fuzz/fuzz-corpus; a finding stops its worker and
# is left as build-fuzz/crash-*. Prints the executions of every worker and their total.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-3600}
workers=${2:-$(nproc)}
scripts/setup.sh
scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWAGELINK_SANITIZE=ON -DWAGELINK_FUZZ=ON -DWAGELINK_BENCHMARKS=OFF
mkdir -p build-fuzz/fuzz-corpus
cd build-fuzz
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
tests/transact_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/tests/fuzz/transact.dict" -print_final_stats=1 \
    -jobs="$workers" -workers="$workers" fuzz-corpus "$root/tests/fuzz/corpus" || true
grep -h 'stat::number_of_executed_units\|stat::average_exec_per_sec' fuzz-*.log
grep -h 'stat::number_of_executed_units' fuzz-*.log | awk '{n += $2} END {print "executions in all:", n}'
if ls crash-* leak-* timeout-* oom-* >/dev/null 2>&1; then echo "findings:"; ls crash-* leak-* timeout-* oom-* 2>/dev/null; exit 1; fi
echo "no findings"
