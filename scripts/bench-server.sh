#!/usr/bin/env bash
# Runs the import, export and concurrent import benchmarks on SQLite and against a private MariaDB
# server started for them on 127.0.0.1 (data under build/bench-server), then the imports across a
# link with a delay (link_bench, some eight minutes), then stops it. Arguments go to every
# benchmark (Google Benchmark flags). Build first: scripts/build.sh build -DWAGELINK_BENCHMARKS=ON
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
WAGELINK_BENCH_SERVER=$(scripts/db-server.sh start build/bench-server 43410)
export WAGELINK_BENCH_SERVER
trap 'scripts/db-server.sh stop build/bench-server' EXIT
for bench in import_bench person_import_bench export_bench concurrent_import_bench link_bench; do
    echo "== $bench"
    "build/bench/$bench" "$@"
done
