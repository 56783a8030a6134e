#!/usr/bin/env bash
# Sets up, builds, writes the demo database and runs the main job on it: a salary item import, a
# person import, a paged export of salary items (pages in out/pages), a kest export, and a paged
# roster export (pages in out/roster-pages).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh demo
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWAGELINK_TESTS=OFF \
    -DWAGELINK_BENCHMARKS=OFF
rm -rf out && mkdir -p out
export WAGELINK_REGISTRY="$root/out/registry"
wagelink=build/wagelink
connection="Provider=SQLite;Data Source=$root/out/demo.db"
$wagelink demo-db out/demo.db
$wagelink register
# Each import of the demo rejects a record on purpose, so it exits 4 (some records not written).
some_rejected() { "$@" || [ $? -eq 4 ]; }
echo "== validate-only run of the import: what it would do, with a summary; nothing is written"
some_rejected $wagelink transact Wagelink.ISalaryItem examples/add-salary-items.xml \
    --connection "$connection" --validate-only --summary
echo "== import (examples/add-salary-items.xml)"
some_rejected $wagelink transact Wagelink.ISalaryItem examples/add-salary-items.xml --connection "$connection"
echo "== person import (examples/add-salary-persons.xml)"
some_rejected $wagelink transact Wagelink.ISalaryPerson examples/add-salary-persons.xml \
    --connection "$connection"
echo "== paged export (examples/query-salary-items.xml), pages in out/pages"
$wagelink transact Wagelink.ISalaryItem examples/query-salary-items.xml --connection "$connection" \
    --pages out/pages
ls out/pages
echo "== kest export (examples/query-kest.xml)"
$wagelink transact Wagelink.ISalaryItem examples/query-kest.xml --connection "$connection"
echo "== paged roster export (examples/query-salary-persons.xml), pages in out/roster-pages"
$wagelink transact Wagelink.ISalaryPerson examples/query-salary-persons.xml --connection "$connection" \
    --pages out/roster-pages
ls out/roster-pages
